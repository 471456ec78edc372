' TODO: visual basic
REM FIXME: rem comment
s = "' HACK: string"
x = 1 ' XXX: trailing
Rem BUG: any case
