#!/usr/bin/env python3
"""Draws the banner the maker's server hands out: 437 x 69 pixels, the inside
of the main window's banner box at 96 dots per inch.

Its top-left corner is plain #336699, a colour of the web palette that a GIF
keeps exactly: the window tests look for it there to tell a shown banner from
an empty box. Uses the GIF writer of app/res/make_logo.py. Run once by hand;
the result is checked in.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "res"))
import make_logo  # noqa: E402

BACKGROUND = "#336699"


def banner():
    return make_logo.render(437, 69, [
        "-fill", BACKGROUND, "-draw", "rectangle 0,0 436,68",
        "-fill", "#FFCC00", "-draw", "roundrectangle 330,14 426,54 8,8",
        "-font", "DejaVu-Sans-Bold", "-pointsize", "22",
        "-fill", "white", "-draw", "text 24,33 'Dovrane'",
        "-font", "DejaVu-Sans", "-pointsize", "13",
        "-draw", "text 24,54 'Your Windows XP, your way.'",
        "-font", "DejaVu-Sans-Bold", "-pointsize", "13",
        "-fill", "#333333", "-draw", "text 345,39 'Ostrabend'",
    ])


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    make_logo.write_gif(os.path.join(here, "www", "dovrane", "banner.gif"), banner(),
                        make_logo.palette(), signature=b"GIF89a")
