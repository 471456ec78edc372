// TODO: dart
var s = r'// FIXME: raw';
var t = '''
// HACK: multi-line
''';
/* outer /* inner */ XXX: outer */
var BUG = 1;
