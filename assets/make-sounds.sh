#!/bin/sh
# Regenerates the sound files shipped with Hushwire:
#   donotcall.wav - the message played down the line to a blocked caller (8 kHz mono, 8-bit)
#   ring.wav      - the ring played on the PC in Mode 2 and when a caller unlocks the line
# Needs espeak-ng and sox (Debian packages of the same names).
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

espeak-ng -v en-us -s 150 -w "$tmp/speech.wav" \
    "Hello. This number does not accept telemarketing calls. Please remove this number from your calling list. Thank you. Goodbye."
# Telephone band, 8000 Hz mono, 8-bit unsigned PCM: what a voice modem plays without
# conversion, and small enough to keep in the repository.
sox "$tmp/speech.wav" -r 8000 -c 1 -b 8 -e unsigned-integer donotcall.wav \
    highpass 300 lowpass 3400 norm -1 pad 0.3 0.3

# North American ring: 440 + 480 Hz, 2 s on, then a short rest so repeats stay apart.
sox -n -r 8000 -c 1 -b 16 -e signed-integer ring.wav \
    synth 2 sine 440 sine 480 remix 1,2 gain -6 fade q 0.02 2 0.02 pad 0 0.2
