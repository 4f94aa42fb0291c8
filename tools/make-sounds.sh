#!/usr/bin/env bash
# Makes the program's eight wave sounds with sox: 22050 Hz, 16-bit, mono.
# The output is deterministic (sox runs with -R: fixed random seed, and -D: no dither), so the
# checked-in files can be made again at any time:  bash tools/make-sounds.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$root/resources/sounds"
mkdir -p "$out"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fmt=(-r 22050 -b 16 -c 1)

# Soft wooden click: a short pluck with a quick decay.
sox -R -D -n "${fmt[@]}" "$out/wavClick1.wav" synth 0.07 pluck 880 fade q 0 0.07 0.05 gain -4
# The drop: a lower, rounder double tick.
sox -R -D -n "${fmt[@]}" "$tmp/c2a.wav" synth 0.06 pluck 523 fade q 0 0.06 0.04
sox -R -D -n "${fmt[@]}" "$tmp/c2b.wav" synth 0.08 pluck 392 fade q 0 0.08 0.06
sox -R -D "$tmp/c2a.wav" "$tmp/c2b.wav" "$out/wavClick2.wav" gain -4
# Shredder: a buzzing saw sweeping down, with a seeded noise grain.
sox -R -D -n "${fmt[@]}" "$tmp/saw.wav" synth 0.6 sawtooth 220-90 tremolo 30 60 fade q 0.02 0.6 0.2
sox -R -D -n "${fmt[@]}" "$tmp/grain.wav" synth 0.6 brownnoise fade q 0.02 0.6 0.3 gain -12
sox -R -D -m "$tmp/saw.wav" "$tmp/grain.wav" "$out/wavShred.wav" lowpass 2500 gain 0
# Glide: a smooth sine swoop upward.
sox -R -D -n "${fmt[@]}" "$out/wavGlide.wav" synth 0.35 sine 300-900 fade h 0.03 0.35 0.12 gain -8
# The web turns: a soft whoosh, filtered noise rising and falling.
sox -R -D -n "${fmt[@]}" "$out/wavWebTurn.wav" synth 0.5 pinknoise bandpass 900 1.5q \
    fade h 0.2 0.5 0.25 tremolo 4 40 gain 6
# Mate: two friendly rising notes.
sox -R -D -n "${fmt[@]}" "$tmp/m1.wav" synth 0.16 triangle 660 fade q 0.01 0.16 0.06
sox -R -D -n "${fmt[@]}" "$tmp/m2.wav" synth 0.28 triangle 990 fade q 0.01 0.28 0.18
sox -R -D "$tmp/m1.wav" "$tmp/m2.wav" "$out/wavMate.wav" gain -8
# Upload: a rising arpeggio taking off.
for n in 523 659 784 1047 1319; do
    sox -R -D -n "${fmt[@]}" "$tmp/u$n.wav" synth 0.12 sine "$n" fade q 0.005 0.12 0.06
done
sox -R -D -n "${fmt[@]}" "$tmp/utail.wav" synth 0.5 sine 1319-2637 fade q 0.01 0.5 0.45
sox -R -D "$tmp/u523.wav" "$tmp/u659.wav" "$tmp/u784.wav" "$tmp/u1047.wav" "$tmp/u1319.wav" \
    "$tmp/utail.wav" "$out/wavUpload.wav" gain -9
# Fireworks: a whistle going up, then a soft pop and crackle.
sox -R -D -n "${fmt[@]}" "$tmp/whistle.wav" synth 0.45 sine 700-1800 fade q 0.02 0.45 0.05 gain -10
sox -R -D -n "${fmt[@]}" "$tmp/pop.wav" synth 0.9 whitenoise lowpass 3000 fade p 0 0.9 0.85 \
    tremolo 18 80 gain -8
sox -R -D "$tmp/whistle.wav" "$tmp/pop.wav" "$out/wavWorks.wav"

for f in "$out"/wav*.wav; do
    printf '%-14s %s s\n' "$(basename "$f")" "$(soxi -D "$f")"
done
