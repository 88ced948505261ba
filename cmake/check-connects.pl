#!/usr/bin/perl
# usage: check-connects.pl FILE...
#
# Fails when a source calls connect() with three arguments: a signal tied to a lambda or
# a function with no context object, which outlives whatever the lambda captured. Qt 6.7
# and later refuse such a call under QT_NO_CONTEXTLESS_CONNECT; Qt 6.4 does not know the
# macro, so without this check such a call builds on Debian 12 and breaks on Debian 13.
use strict;
use warnings;

# The source with its comments and literals blanked (line breaks kept, so that line
# numbers stay), so that no comma or bracket inside them is counted.
sub code_only {
    my ($text) = @_;
    $text =~ s{
        (//[^\n]*)                         # a line comment
      | (/\*.*?\*/)                        # a block comment
      | (R"([^(\s]*)\(.*?\)\4")            # a raw string
      | ("(?:\\.|[^"\\\n])*")              # a string
      | ('(?:\\.|[^'\\\n])*')              # a character
    }{ my $m = $&; $m =~ s/[^\n]/ /g; $m }gsex;
    return $text;
}

# How many arguments the call whose '(' is at `$open` passes; -1 when it never closes.
sub argument_count {
    my ($code, $open) = @_;
    my ($depth, $angles, $commas, $empty) = (0, 0, 0, 1);
    for (my $i = $open + 1; $i < length $code; ++$i) {
        my $c = substr($code, $i, 1);
        if ($c =~ /[([{]/) { ++$depth; }
        elsif ($c =~ /[)\]}]/) {
            return $empty ? 0 : $commas + 1 if $depth == 0 && $c eq ')';
            --$depth;
        }
        # qOverload<int, bool>: a template's commas are not the call's.
        elsif ($c eq '<' && $depth == 0 && substr($code, $i - 1, 1) =~ /\w/) { ++$angles; }
        elsif ($c eq '>' && $depth == 0 && $angles > 0) { --$angles; }
        elsif ($c eq ',' && $depth == 0 && $angles == 0) { ++$commas; }
        $empty = 0 if $c =~ /\S/;
    }
    return -1;
}

my $found = 0;
for my $path (@ARGV) {
    open(my $file, '<', $path) or die "check-connects: cannot read $path: $!\n";
    my $code = code_only(do { local $/; <$file> });
    close $file;
    while ($code =~ /(?<![\w~])connect\s*\(/g) {
        my $open = pos($code) - 1;
        next unless argument_count($code, $open) == 3;
        my $line = 1 + (substr($code, 0, $open) =~ tr/\n//);
        print STDERR "$path:$line: connect() without a context object; pass the object whose "
            . "life the slot depends on (Qt 6.7 and later refuse this call)\n";
        ++$found;
    }
}
exit($found ? 1 : 0);
