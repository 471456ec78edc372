# TODO: ruby
s = "# FIXME: #{1} string"
=begin
HACK: in a begin block
more
=end
XXX = 1 # BUG: trailing
