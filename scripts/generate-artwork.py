#!/usr/bin/python3
"""Draws every picture the built-in style file names.

Each picture is an SVG written from the small shape descriptions in
scripts/artwork_drawings.py, kept in res/svg/ (same relative path, .svg) and rendered to
res/img/ with rsvg-convert.
Pictures named "@2x" are rendered at twice their logical size. The loading
spinner is assembled into an animated GIF with ImageMagick. The windows' background,
res/background/home.png, is drawn the same way; the build copies it beside the executable.

Run from anywhere: /usr/bin/python3 scripts/generate-artwork.py
Needs: librsvg2-bin (rsvg-convert), imagemagick (convert).
"""
import json
import math
import os
import re
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # no __pycache__ beside the scripts
from artwork_drawings import *  # noqa: E402,F403 (the table below names every drawing)

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
STYLE = os.path.join(ROOT, "style", "default.json")
SVG_DIR = os.path.join(ROOT, "res", "svg")
IMG_DIR = os.path.join(ROOT, "res", "img")
URL_PREFIX = "qrc:/zelka/res/img/"

# ---- file table: name -> (drawing, logical width, logical height) --------------

def icon(glyph, size, plate=False):
    """A glyph on a transparent square; hover and press states get a soft plate."""
    def draw(name, w, h):
        state = state_of(name)
        colour = STATE_COLOURS[state]
        back = ""
        if plate and state != "normal":
            back = '<circle cx="12" cy="12" r="11.5" fill="%s" fill-opacity="0.18"/>' % colour
        return svg_doc(w, h, back + glyph(colour) if state == "normal" else back + glyph(colour),
                       view="0 0 24 24")
    return ("icon", draw, size, size)


def picture(draw, w, h):
    return ("picture", lambda name, pw, ph: draw(pw, ph), w, h)


GLYPH_RULES = [
    # (regular expression on the file name, table entry)
    (r"^close_icon", icon(g_close, 24)),
    (r"^small_icon", icon(g_minimise, 24)),
    (r"^sign_set_icon", icon(g_gear, 24)),
    (r"^password_default", icon(g_checkbox(False), 16)),
    (r"^password_click", icon(g_checkbox(True), 16)),
    (r"^username", icon(g_person, 20)),
    (r"^password@", icon(g_lock, 20)),
    (r"^verificationcode", icon(g_shield, 20)),
    (r"^confirm_login", None),
    (r"^homepage/narrow_icon", icon(g_restore, 24)),
    (r"^homepage/big_icon", icon(g_maximise, 24)),
    (r"^homepage/fix_icon", icon(g_pin, 24)),
    (r"^(homepage|videosquare)/menu_fold", icon(g_fold, 24)),
    (r"^(homepage|videosquare)/menu_unfold", icon(g_unfold, 24)),
    (r"^homepage/admin_icon", icon(g_avatar, 32, plate=True)),
    (r"^homepage/detail_icon", icon(g_detail, 20)),
    (r"^homepage/user_icon", icon(g_person, 20)),
    (r"^homepage/exit_icon", icon(g_exit, 20)),
    (r"^homepage/home_page", icon(g_home, 32, plate=True)),
    (r"^homepage/video_square", icon(g_grid, 32, plate=True)),
    (r"^homepage/realtime_retrieval_icon", icon(g_camera_panel, 20)),
    (r"^homepage/realtime_retrieval", icon(g_monitor_play, 32, plate=True)),
    (r"^homepage/electronic_map", icon(g_map, 32, plate=True)),
    (r"^homepage/replay", icon(g_replay, 32, plate=True)),
    (r"^homepage/alarm_query", icon(g_bell, 32, plate=True)),
    (r"^homepage/system_set", icon(g_gear, 32, plate=True)),
    (r"^homepage/camera_icon", icon(g_cctv, 16)),
    (r"^homepage/device_list_icon", icon(g_list, 20)),
    (r"^homepage/cpu_chart_icon", icon(g_chip, 20)),
    (r"^homepage/network_chart_icon", icon(g_network, 20)),
    (r"^homepage/lastest_warning_icon", icon(g_warning, 20)),
    (r"^homepage/device_status_icon", icon(g_ring, 20)),
    (r"^homepage/disk_chart_icon", icon(g_disk, 20)),
    (r"^homepage/refresh", icon(g_refresh, 16)),
    (r"^homepage/control_amp", icon(g_zoom("+"), 24, plate=True)),
    (r"^homepage/control_narrow", icon(g_zoom("-"), 24, plate=True)),
    (r"^cameraicon/videotape", icon(g_record, 20)),
    (r"^cameraicon/microphone", icon(g_microphone, 20)),
    (r"^cameraicon/capture", icon(g_photo, 20)),
    (r"^cameraicon/proportion", icon(g_proportion, 20)),
    (r"^cameraicon/video_info", icon(g_info, 20)),
    (r"^cameraicon/close_video", icon(g_close_video, 20)),
    (r"^electronicmap/camera_icon", icon(g_map_marker, 24)),
    (r"^recordmanage/switch_on", ("icon", lambda n, w, h: svg_doc(w, h, g_switch(True)(None), "0 0 40 20"), 40, 20)),
    (r"^recordmanage/switch_off", ("icon", lambda n, w, h: svg_doc(w, h, g_switch(False)(None), "0 0 40 20"), 40, 20)),
    (r"^recordmanage/link_icon", icon(g_link, 16)),
    (r"^recordmanage/play_icon", icon(g_play, 16)),
    (r"^recordmanage/download_icon", icon(g_download, 16)),
    (r"^recordmanage/delete_icon", icon(g_delete, 16)),
    (r"^recordmanage/progress_slider", icon(g_slider_handle, 16)),
    (r"^recordmanage/calendar_icon", icon(g_calendar, 20)),
    (r"^recordmanage/calendar_year_left", icon(g_chevrons("left", True), 16)),
    (r"^recordmanage/calendar_year_right", icon(g_chevrons("right", True), 16)),
    (r"^recordmanage/calendar_month_left", icon(g_chevrons("left", False), 16)),
    (r"^recordmanage/calendar_month_right", icon(g_chevrons("right", False), 16)),
]

PICTURES = {
    "login_title@2x.png": picture(p_login_title, 480, 72),
    "sign_bg.png": picture(p_sign_bg, 960, 540),
    "earth.png": picture(p_earth, 320, 320),
    "confirm_login.png": picture(p_confirm_login("normal"), 280, 44),
    "confirm_login_move.png": picture(p_confirm_login("move"), 280, 44),
    "confirm_login_click.png": picture(p_confirm_login("click"), 280, 44),
    "homepage/border.png": picture(p_border, 64, 64),
    "homepage/admin_bg@2x.png": picture(p_admin_bg, 160, 180),
    "homepage/admin_bg_click.png": picture(p_admin_bg_click, 160, 36),
    "homepage/no_signal.png": picture(p_placeholder(g_no_signal), 320, 180),
    "homepage/no_snap.png": picture(p_placeholder(g_no_snap), 320, 180),
    "cameraicon/base_bg.png": picture(p_base_bg, 240, 32),
    "electronicmap/map_default_cion.png": picture(p_map_thumb("default"), 64, 48),
    "electronicmap/map_satellite_icon.png": picture(p_map_thumb("satellite"), 64, 48),
}

# Pictures the style file does not name: the side menu's system-setting entry falls
# back to these, as the built-in style has no keys for it.
UNSTYLED_NAMES = [
    "homepage/system_set_default@2x.png",
    "homepage/system_set_move@2x.png",
    "homepage/system_set_click@2x.png",
]

# Not a resource: the build puts it beside the executable, where the windows look for it.
BACKGROUND_NAME = "background/home.png"
BACKGROUND = picture(p_home_background, 1920, 1080)


def entry_for(name):
    if name in PICTURES:
        return PICTURES[name]
    for pattern, entry in GLYPH_RULES:
        if entry and re.search(pattern, name):
            return entry
    raise SystemExit("no drawing for " + name)


def pixel_scale(name):
    return 2 if "@2x" in name else 1


def render(name, entry=None, img_dir=IMG_DIR):
    kind, draw, w, h = entry or entry_for(name)
    scale = pixel_scale(name)
    pw, ph = w * scale, h * scale
    svg = draw(name, pw, ph)
    svg_path = os.path.join(SVG_DIR, os.path.splitext(name)[0] + ".svg")
    png_path = os.path.join(img_dir, name)
    os.makedirs(os.path.dirname(svg_path), exist_ok=True)
    os.makedirs(os.path.dirname(png_path), exist_ok=True)
    with open(svg_path, "w") as f:
        f.write(svg)
    subprocess.run(["rsvg-convert", "-w", str(pw), "-h", str(ph), "-o", png_path, svg_path], check=True)
    # Smaller files, no time stamps: reproducible output.
    subprocess.run(["convert", png_path, "-strip", "-define", "png:exclude-chunks=date,time", png_path], check=True)


def render_spinner(name, size=48, frames=12):
    os.makedirs(SVG_DIR, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        pngs = []
        for i in range(frames):
            dots = ""
            for k in range(frames):
                a = 2 * math.pi * k / frames - math.pi / 2
                # GIF keeps no partial transparency: the trail fades by size and colour.
                t = ((i - k) % frames) / (frames - 1)
                colour = "#%02x%02x%02x" % tuple(round(a0 + (b0 - a0) * t) for a0, b0 in ((0x16, 0x1c), (0xff, 0x4a), (0xfe, 0x6a)))
                dots += '<circle cx="%.2f" cy="%.2f" r="%.2f" fill="%s"/>' % (
                    12 + 8.5 * math.cos(a), 12 + 8.5 * math.sin(a), 2.4 - 1.2 * t, colour)
            svg = svg_doc(size, size, dots, "0 0 24 24")
            svg_path = os.path.join(tmp, "f%02d.svg" % i)
            png_path = os.path.join(tmp, "f%02d.png" % i)
            with open(svg_path, "w") as f:
                f.write(svg)
            if i == 0:
                with open(os.path.join(SVG_DIR, "loading.svg"), "w") as f:
                    f.write(svg)
            subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), "-o", png_path, svg_path], check=True)
            pngs.append(png_path)
        subprocess.run(["convert", "-delay", "8", "-loop", "0", "-dispose", "previous", "-background", "none"]
                       + pngs + [os.path.join(IMG_DIR, name)], check=True)


def names_in_style():
    with open(STYLE, encoding="utf-8-sig") as f:
        images = json.load(f)["images"]
    return sorted({v[len(URL_PREFIX):] for v in images.values() if v.startswith(URL_PREFIX)})


def main():
    for name in names_in_style() + UNSTYLED_NAMES:
        if name.endswith(".gif"):
            render_spinner(name)
        else:
            render(name)
        print("drew", name)
    render(BACKGROUND_NAME, BACKGROUND, os.path.join(ROOT, "res"))
    print("drew", BACKGROUND_NAME)


if __name__ == "__main__":
    sys.exit(main())
