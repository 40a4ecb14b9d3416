#!/usr/bin/python3
"""Draws the wizard's two animations as animated GIFs: data flowing from the
user card to the computer (reading) and from the computer to the card
(writing). Run by hand after a change; the GIFs are committed beside it.

    /usr/bin/python3 app/service/clips/make_clips.py   (needs python3-pil)
"""
import os
from PIL import Image, ImageDraw

W, H = 300, 72
FRAMES = 16
HERE = os.path.dirname(os.path.abspath(__file__))

BLUE, DARK, CHIP, CHIPLINE = (31, 95, 168), (43, 43, 43), (224, 178, 50), (138, 106, 12)
SCREEN, GREEN, RED, WHITE = (120, 190, 240), (61, 220, 87), (217, 53, 43), (255, 255, 255)
BG = (240, 240, 240)


def card_and_reader(d):
    # the reader with the card in its slot, on the left
    d.rounded_rectangle((8, 30, 92, 66), 6, fill=DARK)
    d.rounded_rectangle((26, 6, 74, 38), 4, fill=BLUE, outline=(18, 63, 115))
    d.rectangle((33, 14, 45, 24), fill=CHIP, outline=CHIPLINE)
    d.line((33, 19, 45, 19), fill=CHIPLINE)
    d.rectangle((20, 30, 80, 34), fill=(17, 17, 17))


def computer(d):
    # the computer on the right
    d.rounded_rectangle((214, 6, 290, 52), 4, fill=(70, 80, 92))
    d.rectangle((220, 12, 284, 46), fill=SCREEN)
    d.rectangle((246, 52, 258, 60), fill=(70, 80, 92))
    d.rounded_rectangle((228, 60, 276, 66), 2, fill=(70, 80, 92))


def frame(i, towards_card):
    img = Image.new("RGB", (W, H), BG)
    d = ImageDraw.Draw(img)
    card_and_reader(d)
    computer(d)
    # the reader's light blinks
    d.ellipse((80, 52, 88, 60), fill=GREEN if i % 4 < 2 else (30, 110, 45))
    # bits travelling along the cable, one step a frame
    span, start = 110, 100
    for k in range(5):
        t = ((i + k * FRAMES // 5) % FRAMES) / FRAMES
        x = start + (span * (1 - t) if towards_card else span * t)
        colour = RED if towards_card else BLUE
        d.rounded_rectangle((x - 5, 30, x + 5, 40), 2, fill=colour)
    d.line((96, 35, 212, 35), fill=(160, 160, 160), width=1)
    # the screen shows progress
    filled = int(56 * (i + 1) / FRAMES)
    d.rectangle((224, 36, 224 + filled, 42), fill=RED if towards_card else BLUE)
    if towards_card:
        # a pen over the card: writing
        d.polygon([(60, 2), (68, 2), (56, 22), (52, 24), (53, 19)], fill=RED)
    return img.convert("P", palette=Image.ADAPTIVE, colors=32)


def write(name, towards_card):
    frames = [frame(i, towards_card) for i in range(FRAMES)]
    frames[0].save(os.path.join(HERE, name), save_all=True, append_images=frames[1:],
                   duration=90, loop=0, optimize=True, disposal=1)


write("reading.gif", False)
write("writing.gif", True)
