#!/usr/bin/env bash
# Both channel-name exports must be one function: the same address in the built library.
# usage: check_channel_name_alias.sh LIBRARY
set -euo pipefail
symbols=$(nm -D --defined-only "$1")
input=$(awk '$3 == "Corvane_GetInputChannelNames" {print $1}' <<< "$symbols")
output=$(awk '$3 == "Corvane_GetOutputChannelNames" {print $1}' <<< "$symbols")
echo "input $input, output $output"
[ -n "$input" ] && [ "$input" = "$output" ]
