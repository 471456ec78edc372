# TODO: perl
my $n = $#array; # FIXME: after $#
my $s = "# HACK: string";

=pod

XXX: in pod

=cut
my $BUG = 1;
