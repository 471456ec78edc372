% TODO: matlab
x = a' % FIXME: after a transpose
s = 'it''s % HACK: string';
%{
XXX: block comment
%}
