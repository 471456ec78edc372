// TODO: the C# file
/// documentation line follows
var a = @"C:\path\ // TODO: verbatim ""quoted""";
var b = """
  // FIXME: in a raw string literal
  """;
/* HACK: block */ int x = 1;
int FIXME = 2; // XXX(bob): trailing
