#!/usr/bin/perl
# The erase-and-spew job as a short perl script, for the benchmark table: every file below TREE
# (its own "copies" folder left out) is copied below OUT with each run of the four chunk lines
# (the first case-insensitively, the others as found within a line) replaced by the spew, and
# every line ending in CR LF. Usage: erase_chunks.pl TREE OUT
use strict;
use warnings;
use File::Find;
use File::Path qw(make_path);

my ($tree, $out) = @ARGV;
my @chunk = ('<SIMPLERENDERER>',
             '<SIMPLEPOLYGONSYMBOL boundarytransparency="1.0" filltransparency="0.0" boundarywidth="2" boundarycaptype="round" boundarycolor="151,71,73" />',
             '</SIMPLERENDERER>', '</LAYER>');
my $trigger = uc $chunk[0];
find({ no_chdir => 1, wanted => sub {
    if (-d $_) { $File::Find::prune = 1 if $_ eq "$tree/copies"; return; }
    return unless -f _;
    (my $relative = $File::Find::name) =~ s/^\Q$tree\E//;
    my $target = "$out$relative";
    (my $folder = $target) =~ s{/[^/]*$}{};
    make_path($folder);
    open(my $in, '<:raw', $_) or die "$_: $!";
    my @lines = split /\r\n|\n|\r/, do { local $/; <$in> };
    close $in;
    my $copy = '';
    for (my $i = 0; $i < @lines; $i++) {
        if (index(uc $lines[$i], $trigger) >= 0 && $i + 3 < @lines && index($lines[$i + 1], $chunk[1]) >= 0
            && index($lines[$i + 2], $chunk[2]) >= 0 && index($lines[$i + 3], $chunk[3]) >= 0) {
            $copy .= "smack\r\n";
            $i += 3;
            next;
        }
        $copy .= $lines[$i] . "\r\n";
    }
    open(my $o, '>:raw', $target) or die "$target: $!";
    print $o $copy;
    close $o or die "$target: $!";
}}, $tree);
