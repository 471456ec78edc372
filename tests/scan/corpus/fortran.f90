! TODO: fortran
s = 'it''s ! FIXME: string'
x = 1 ! HACK: trailing
