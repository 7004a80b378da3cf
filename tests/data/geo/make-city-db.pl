#!/usr/bin/perl
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the small MaxMind-format city database of the offline location tests: 127.0.0.0/25 is Tokyo
# (with a Chinese city name), 127.0.0.128/25 a city with an English name only.
use strict;
use warnings;
use utf8;
use MaxMind::DB::Writer::Tree;

my %maps = map { $_ => 1 } qw(city country names);
my $tree = MaxMind::DB::Writer::Tree->new(
    ip_version            => 6,
    record_size           => 24,
    database_type         => 'Vorin-Test-City',
    languages             => [ 'en', 'zh-CN' ],
    description           => { en => 'Offline location test data' },
    alias_ipv6_to_ipv4    => 1,
    remove_reserved_networks => 0, # the tests' addresses are loopback ones
    map_key_type_callback => sub { $maps{ $_[0] } ? 'map' : 'utf8_string' },
);
$tree->insert_network('127.0.0.0/25',
    { country => { iso_code => 'JP' }, city => { names => { en => 'Tokyo', 'zh-CN' => '东京' } } });
$tree->insert_network('127.0.0.128/25',
    { country => { iso_code => 'DE' }, city => { names => { en => 'Wittenberg' } } });
open my $out, '>:raw', $ARGV[0] or die "cannot write $ARGV[0]: $!";
$tree->write_tree($out);
close $out;
