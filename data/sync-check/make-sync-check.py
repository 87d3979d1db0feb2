#!/usr/bin/python3
"""The sync-check production's script and click track: a full-screen white flash and a short
click on every beat at 138 bpm for 60 s, over a dark title screen.

    make-sync-check.py DIR     writes DIR/DemoScript.xml and DIR/clicks.wav
"""
import math
import struct
import sys
import wave

BEAT = 1.7391 / 4  # the production's beat: its bar of 138 bpm rounded to a tenth of a millisecond
LENGTH = 60.0
FLASH = 0.05       # seconds of white from each beat on
RATE = 44100
CLICK = 0.003      # seconds of a 3 kHz tone, rising in a tenth of a millisecond


def beats():
    count = int(LENGTH / BEAT)
    return [round(n * BEAT, 6) for n in range(count + 1) if n * BEAT < LENGTH]


def script():
    # Each beat is a layer of its own: the title screen's first, near-black moment, and the white
    # clear over it for the flash. The title restarts every beat, so it never brightens.
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<!-- The sync check: a white flash and a click on every beat at 138 bpm. -->',
             '<demo>', '<init progressBar="0" fadeout="0">', '<resources>', '</resources>', '</init>',
             f'<main length="{LENGTH}">',
             f'<scene id="0" name="Sync check" start="0" end="{LENGTH}">']
    operator = 0
    for index, start in enumerate(beats()):
        end = min(start + BEAT, LENGTH)
        lines.append(f'<layer name="beat {index}" active="1" solo="0" start="{start}" end="{end}">')
        lines.append('<children>')
        lines.append(f'<operator name="Scene1" id="{operator}" start="0" end="{end - start:.6f}"/>')
        lines.append(f'<operator name="ClearTarget" id="{operator + 1}" start="0" end="{FLASH}"/>')
        lines.append('</children>')
        lines.append('</layer>')
        operator += 2
    lines += ['</scene>', '</main>', '</demo>', '']
    return '\n'.join(lines)


def clicks():
    samples = [0.0] * int(LENGTH * RATE)
    length = int(CLICK * RATE)
    for start in beats():
        first = round(start * RATE)
        for i in range(min(length, len(samples) - first)):
            rise = min(1.0, i / (0.0001 * RATE))
            samples[first + i] = 0.8 * rise * math.sin(2 * math.pi * 3000 * i / RATE)
    return samples


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-sync-check.py DIR")
    directory = sys.argv[1]
    with open(f"{directory}/DemoScript.xml", "w", encoding="utf-8") as file:
        file.write(script())
    with wave.open(f"{directory}/clicks.wav", "wb") as file:
        file.setnchannels(2)
        file.setsampwidth(2)
        file.setframerate(RATE)
        frames = bytearray()
        for sample in clicks():
            value = int(round(sample * 32767))
            frames += struct.pack("<hh", value, value)
        file.writeframes(bytes(frames))


main()
