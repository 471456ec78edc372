// TODO: rust
fn f<'a>(x: &'a str) -> &'a str { x } // FIXME: after lifetimes
let s = r#"// HACK: "raw" string"#;
/* outer /* XXX inner */ BUG: still outer */
let c = '"'; // TODO(me): after a char
let TODO = "/* not a comment";
let m = "multi
// FIXME: still in the string
";
