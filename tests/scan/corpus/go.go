package main
// TODO: go
var s = `// FIXME: raw
// HACK: still raw`
var r = '"' // XXX: after a rune
/* BUG: block */
var TODO = "x"
