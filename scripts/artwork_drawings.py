"""The drawings of the artwork script (scripts/generate-artwork.py): the palette, SVG
helpers, the 24 x 24 line glyphs and the larger pictures, each a function that returns
SVG text. Nothing here writes files.
"""
import math

# Dark blue console palette: steel blue at rest, cyan under the pointer, amber when
# pressed or selected.
STATE_COLOURS = {"normal": "#9fc6dc", "move": "#3fe3ff", "click": "#ffc000"}
PANEL_DARK = "#061a2e"
PANEL_MID = "#0b2f4f"
ACCENT = "#16fffe"
BLUE = "#00a7eb"


def state_of(name):
    if "_click" in name:
        return "click"
    if "_move" in name:
        return "move"
    return "normal"


def svg_doc(width, height, body, view=None):
    view = view or "0 0 %g %g" % (width, height)
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%g" height="%g" viewBox="%s">\n'
            '<defs><filter id="glow" x="-30%%" y="-30%%" width="160%%" height="160%%">'
            '<feGaussianBlur stdDeviation="0.9" result="b"/><feMerge><feMergeNode in="b"/>'
            '<feMergeNode in="SourceGraphic"/></feMerge></filter></defs>\n%s\n</svg>\n'
            % (width, height, view, body))


def stroke_group(colour, inner, width=1.7, glow=False):
    filt = ' filter="url(#glow)"' if glow else ""
    return ('<g fill="none" stroke="%s" stroke-width="%g" stroke-linecap="round" '
            'stroke-linejoin="round"%s>%s</g>' % (colour, width, filt, inner))


# ---- glyphs: 24 x 24 line drawings; "c" is the stroke colour -------------------

def g_close(c):
    return stroke_group(c, '<path d="M6.5 6.5 17.5 17.5M17.5 6.5 6.5 17.5"/>', 2)


def g_minimise(c):
    return stroke_group(c, '<path d="M6 15h12"/>', 2)


def g_restore(c):
    return stroke_group(c, '<rect x="5" y="9" width="10" height="10" rx="1"/><path d="M9 9V5h10v10h-4"/>')


def g_maximise(c):
    return stroke_group(c, '<rect x="5" y="5" width="14" height="14" rx="1.5"/><path d="M5 8.5h14"/>')


def g_gear(c):
    pts = []
    for i in range(16):
        a = math.pi * 2 * i / 16
        r = 9 if i % 2 == 0 else 7
        pts.append("%.2f,%.2f" % (12 + r * math.cos(a), 12 + r * math.sin(a)))
    return stroke_group(c, '<polygon points="%s"/><circle cx="12" cy="12" r="3"/>' % " ".join(pts), 1.6)


def g_pin(c):
    return stroke_group(c, '<path d="M9 4h6l-1 6 3 3H7l3-3z"/><path d="M12 13v7"/>')


def g_fold(c):
    return stroke_group(c, '<path d="M4 6h10M4 12h7M4 18h10"/><path d="M20 8l-4 4 4 4"/>')


def g_unfold(c):
    return stroke_group(c, '<path d="M10 6h10M13 12h7M10 18h10"/><path d="M4 8l4 4-4 4"/>')


def g_person(c):
    return stroke_group(c, '<circle cx="12" cy="8.5" r="4"/><path d="M4.5 20c1-4 4-6 7.5-6s6.5 2 7.5 6"/>')


def g_avatar(c):
    return stroke_group(c, '<circle cx="12" cy="12" r="10"/><circle cx="12" cy="10" r="3.3"/>'
                           '<path d="M6 18.5c1.2-2.8 3.4-4 6-4s4.8 1.2 6 4"/>', 1.5)


def g_detail(c):
    return stroke_group(c, '<rect x="5" y="3.5" width="14" height="17" rx="1.5"/><path d="M8.5 8h7M8.5 12h7M8.5 16h4"/>')


def g_exit(c):
    return stroke_group(c, '<path d="M14 4H6v16h8"/><path d="M10 12h10M16.5 8.5 20 12l-3.5 3.5"/>')


def g_home(c):
    return stroke_group(c, '<path d="M3.5 11.5 12 4l8.5 7.5"/><path d="M6 10v10h12V10"/><path d="M10 20v-5h4v5"/>')


def g_grid(c):
    return stroke_group(c, '<rect x="4" y="4" width="7" height="7" rx="1"/><rect x="13" y="4" width="7" height="7" rx="1"/>'
                           '<rect x="4" y="13" width="7" height="7" rx="1"/><rect x="13" y="13" width="7" height="7" rx="1"/>')


def g_monitor_play(c):
    return stroke_group(c, '<rect x="3" y="4.5" width="18" height="12" rx="1.5"/><path d="M8.5 20h7M12 16.5V20"/>'
                           '<path d="M10.5 8v5l4-2.5z"/>')


def g_map(c):
    return stroke_group(c, '<path d="M3 6.5 8.5 4.5l7 2 5.5-2v13l-5.5 2-7-2L3 19.5z"/><path d="M8.5 4.5v13M15.5 6.5v13"/>')


def g_replay(c):
    return stroke_group(c, '<path d="M4.5 12a7.5 7.5 0 1 0 2.2-5.3"/><path d="M4.5 4.5v3.5H8"/><path d="M10.5 9v6l4.5-3z"/>')


def g_bell(c):
    return stroke_group(c, '<path d="M6 16.5V11a6 6 0 0 1 12 0v5.5l1.5 1.5h-15z"/><path d="M10 20.5h4"/>')


def g_cctv(c):
    return stroke_group(c, '<path d="M3.5 7.5 16 4l1.8 6.5-12.5 3.5z"/><path d="M17.2 8.2l3.3-1"/>'
                           '<path d="M9 12.5l1 3.5H5.5v4"/>')


def g_list(c):
    return stroke_group(c, '<path d="M9 6.5h11M9 12h11M9 17.5h11"/><circle cx="5" cy="6.5" r="1"/>'
                           '<circle cx="5" cy="12" r="1"/><circle cx="5" cy="17.5" r="1"/>')


def g_chip(c):
    return stroke_group(c, '<rect x="6" y="6" width="12" height="12" rx="1.5"/><rect x="9.5" y="9.5" width="5" height="5"/>'
                           '<path d="M9 3v3M12 3v3M15 3v3M9 18v3M12 18v3M15 18v3M3 9h3M3 12h3M3 15h3M18 9h3M18 12h3M18 15h3"/>', 1.4)


def g_network(c):
    return stroke_group(c, '<path d="M3 17l4.5-6 4 3.5L16 7l5 5"/><path d="M3 20.5h18"/>')


def g_camera_panel(c):
    return stroke_group(c, '<rect x="3" y="6.5" width="13" height="11" rx="1.5"/><path d="M16 10.5l5-3v9l-5-3z"/>')


def g_warning(c):
    return stroke_group(c, '<path d="M12 3.5 21 19.5H3z"/><path d="M12 9.5v5M12 17v.2"/>')


def g_ring(c):
    return stroke_group(c, '<circle cx="12" cy="12" r="8.5"/><path d="M12 3.5a8.5 8.5 0 0 1 8.5 8.5H12z"/>')


def g_disk(c):
    return stroke_group(c, '<ellipse cx="12" cy="6" rx="7.5" ry="2.5"/><path d="M4.5 6v12c0 1.4 3.4 2.5 7.5 2.5s7.5-1.1 7.5-2.5V6"/>'
                           '<path d="M4.5 12c0 1.4 3.4 2.5 7.5 2.5s7.5-1.1 7.5-2.5"/>')


def g_refresh(c):
    return stroke_group(c, '<path d="M19.5 12A7.5 7.5 0 1 1 17 6.4"/><path d="M19.5 3.5v4.5H15"/>')


def g_zoom(sign):
    def draw(c):
        inner = '<circle cx="10.5" cy="10.5" r="6.5"/><path d="M15.5 15.5 20.5 20.5"/><path d="M7.5 10.5h6"/>'
        if sign == "+":
            inner += '<path d="M10.5 7.5v6"/>'
        return stroke_group(c, inner, 1.9)
    return draw


def g_record(c):
    return (stroke_group(c, '<rect x="3" y="6" width="13" height="12" rx="2"/><path d="M16 10.5l5-3v9l-5-3z"/>')
            + '<circle cx="9.5" cy="12" r="2.6" fill="%s"/>' % c)


def g_microphone(c):
    return stroke_group(c, '<rect x="9" y="3.5" width="6" height="11" rx="3"/><path d="M6 11.5a6 6 0 0 0 12 0"/>'
                           '<path d="M12 17.5v3M9 20.5h6"/>')


def g_photo(c):
    return stroke_group(c, '<path d="M3.5 8.5h3.5l1.5-2.5h7l1.5 2.5h3.5v10.5h-17z"/><circle cx="12" cy="13.2" r="3.3"/>')


def g_proportion(c):
    return stroke_group(c, '<path d="M4 9V5h4M16 5h4v4M20 15v4h-4M8 19H4v-4"/><rect x="8.5" y="9" width="7" height="6" rx="0.8"/>')


def g_info(c):
    return stroke_group(c, '<circle cx="12" cy="12" r="8.5"/><path d="M12 11v6"/><path d="M12 7.5v.2"/>', 1.9)


def g_close_video(c):
    return stroke_group(c, '<rect x="3.5" y="3.5" width="17" height="17" rx="2"/><path d="M8.5 8.5l7 7M15.5 8.5l-7 7"/>')


def g_link(c):
    return stroke_group(c, '<path d="M10 14a4 4 0 0 0 5.7 0l3.3-3.3a4 4 0 0 0-5.7-5.7L12 6.3"/>'
                           '<path d="M14 10a4 4 0 0 0-5.7 0L5 13.3A4 4 0 0 0 10.7 19l1.3-1.3"/>')


def g_play(c):
    return stroke_group(c, '<path d="M8 5v14l11-7z"/>')


def g_download(c):
    return stroke_group(c, '<path d="M12 4v11M7.5 10.5 12 15l4.5-4.5"/><path d="M4.5 15.5v4h15v-4"/>')


def g_delete(c):
    return stroke_group(c, '<path d="M4.5 6.5h15M9.5 6.5V4h5v2.5"/><path d="M6.5 6.5l1 13.5h9l1-13.5"/><path d="M10 10v6.5M14 10v6.5"/>')


def g_calendar(c):
    return stroke_group(c, '<rect x="3.5" y="5" width="17" height="15" rx="1.5"/><path d="M3.5 9.5h17M8 3v4M16 3v4"/>'
                           '<path d="M7.5 13h2M11 13h2M14.5 13h2M7.5 16.5h2M11 16.5h2"/>', 1.5)


def g_chevrons(direction, double):
    def draw(c):
        if direction == "left":
            paths = '<path d="M14 6l-6 6 6 6"/>' if not double else '<path d="M11.5 6l-6 6 6 6M18.5 6l-6 6 6 6"/>'
        else:
            paths = '<path d="M10 6l6 6-6 6"/>' if not double else '<path d="M12.5 6l6 6-6 6M5.5 6l6 6-6 6"/>'
        return stroke_group(c, paths, 2)
    return draw


def g_checkbox(checked):
    def draw(c):
        body = '<rect x="4" y="4" width="16" height="16" rx="2.5" fill="%s" fill-opacity="0.35" stroke="%s" stroke-width="1.6"/>' % (
            PANEL_DARK, "#9fc6dc" if not checked else BLUE)
        if checked:
            body = '<rect x="4" y="4" width="16" height="16" rx="2.5" fill="%s"/>' % BLUE
            body += stroke_group("#ffffff", '<path d="M7.5 12.2l3 3 6-6.4"/>', 2.2)
        return body
    return draw


def g_lock(c):
    return stroke_group(c, '<rect x="5" y="10.5" width="14" height="10" rx="1.8"/><path d="M8 10.5V7.5a4 4 0 0 1 8 0v3"/>'
                           '<path d="M12 14.5v2.5"/>')


def g_shield(c):
    return stroke_group(c, '<path d="M12 3 19.5 6v5.5c0 4.5-3.2 8-7.5 9.5-4.3-1.5-7.5-5-7.5-9.5V6z"/><path d="M8.5 12l2.5 2.5 4.5-5"/>')


def g_switch(on):
    def draw(_c):
        track = BLUE if on else "#3a4b5c"
        knob_x = 29 if on else 11
        return ('<rect x="1.5" y="3" width="37" height="14" rx="7" fill="%s" stroke="%s" stroke-width="1"/>'
                '<circle cx="%g" cy="10" r="8" fill="#e8f6ff" stroke="%s" stroke-width="1"/>'
                % (track, "#7fdcff" if on else "#6b7c8d", knob_x, "#0a2740"))
    return draw


def g_slider_handle(c):
    return ('<circle cx="12" cy="12" r="8" fill="%s" fill-opacity="0.25"/>'
            '<circle cx="12" cy="12" r="5.2" fill="%s" stroke="#ffffff" stroke-width="1.2"/>' % (c, c))


def g_map_marker(c):
    return ('<path d="M12 22s-7-7.2-7-12.2a7 7 0 0 1 14 0C19 14.8 12 22 12 22z" fill="%s" stroke="#062238" stroke-width="1"/>'
            '<circle cx="12" cy="9.8" r="3.6" fill="#062238"/><circle cx="12" cy="9.8" r="1.6" fill="%s"/>' % (BLUE, ACCENT))


# ---- larger pictures, each with its own canvas --------------------------------

def p_sign_bg(w, h):
    lines = "".join('<path d="M0 %g H%g" />' % (y, w) for y in range(0, h, 30))
    lines += "".join('<path d="M%g 0 V%g" />' % (x, h) for x in range(0, w, 30))
    return svg_doc(w, h, (
        '<defs><radialGradient id="bg" cx="50%%" cy="45%%" r="75%%"><stop offset="0" stop-color="#12406a"/>'
        '<stop offset="0.6" stop-color="#0a2440"/><stop offset="1" stop-color="#040d1a"/></radialGradient></defs>'
        '<rect width="%d" height="%d" fill="url(#bg)"/>'
        '<g stroke="#1f6fa8" stroke-opacity="0.18" stroke-width="1">%s</g>' % (w, h, lines)))


def p_earth(w, h):
    r = w * 0.42
    cx = cy = w / 2
    meridians = "".join('<ellipse cx="%g" cy="%g" rx="%g" ry="%g"/>' % (cx, cy, r * k, r) for k in (0.25, 0.55, 0.85))
    parallels = "".join('<ellipse cx="%g" cy="%g" rx="%g" ry="%g"/>' % (cx, cy + r * t, r * math.sqrt(1 - t * t), r * 0.12)
                        for t in (-0.6, -0.3, 0.0, 0.3, 0.6))
    return svg_doc(w, h, (
        '<defs><radialGradient id="sea" cx="40%%" cy="35%%" r="70%%"><stop offset="0" stop-color="#1d7fc4"/>'
        '<stop offset="0.7" stop-color="#0b3b66"/><stop offset="1" stop-color="#051a30"/></radialGradient>'
        '<radialGradient id="halo" cx="50%%" cy="50%%" r="50%%"><stop offset="0.8" stop-color="#078cff" stop-opacity="0.35"/>'
        '<stop offset="1" stop-color="#078cff" stop-opacity="0"/></radialGradient></defs>'
        '<circle cx="%g" cy="%g" r="%g" fill="url(#halo)"/>'
        '<circle cx="%g" cy="%g" r="%g" fill="url(#sea)"/>'
        '<g fill="none" stroke="%s" stroke-opacity="0.45" stroke-width="%g">%s%s</g>'
        '<circle cx="%g" cy="%g" r="%g" fill="none" stroke="%s" stroke-width="%g" stroke-opacity="0.8"/>'
        % (cx, cy, w / 2, cx, cy, r, ACCENT, w / 220, meridians, parallels, cx, cy, r, ACCENT, w / 160)))


def p_login_title(w, h):
    return svg_doc(w, h, (
        '<defs><linearGradient id="t" x1="0" x2="1"><stop offset="0" stop-color="#078cff" stop-opacity="0"/>'
        '<stop offset="0.5" stop-color="#0b4f8a" stop-opacity="0.85"/><stop offset="1" stop-color="#078cff" stop-opacity="0"/>'
        '</linearGradient><linearGradient id="edge" x1="0" x2="1"><stop offset="0" stop-color="%s" stop-opacity="0"/>'
        '<stop offset="0.5" stop-color="%s"/><stop offset="1" stop-color="%s" stop-opacity="0"/></linearGradient></defs>'
        '<path d="M%g 0 H%g L%g %g H%g Z" fill="url(#t)"/>'
        '<path d="M%g %g H%g" stroke="url(#edge)" stroke-width="%g"/>'
        '<path d="M%g %g H%g L%g %g H%g L%g %g" fill="none" stroke="%s" stroke-opacity="0.7" stroke-width="%g"/>'
        % (ACCENT, ACCENT, ACCENT,
           w * 0.08, w * 0.92, w * 0.80, h, w * 0.20,
           0, h - 2, w, 4,
           w * 0.30, h * 0.18, w * 0.40, w * 0.42, h * 0.30, w * 0.58, w * 0.60, h * 0.18, ACCENT, 3)))


def p_confirm_login(state):
    def draw(w, h):
        top, bottom = {"normal": ("#14a8e8", "#0672b8"), "move": ("#3fc8ff", "#0a8ad6"),
                       "click": ("#0a6fae", "#054a7c")}[state]
        return svg_doc(w, h, (
            '<defs><linearGradient id="b" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="%s"/>'
            '<stop offset="1" stop-color="%s"/></linearGradient></defs>'
            '<rect x="1" y="1" width="%g" height="%g" rx="%g" fill="url(#b)" stroke="%s" stroke-opacity="0.8"/>'
            '<rect x="4" y="3" width="%g" height="%g" rx="%g" fill="#ffffff" fill-opacity="0.12"/>'
            % (top, bottom, w - 2, h - 2, h / 2 - 1, ACCENT, w - 8, h / 2 - 4, h / 4)))
    return draw


def p_border(w, h):
    k = 14
    corners = ('M1 %d V1 H%d M%d 1 H%d V%d M%d %d V%d H%d M%d %d H1 V%d'
               % (k, k, w - k, w - 1, k, w - 1, h - k, h - 1, w - k, k, h - 1, h - k))
    return svg_doc(w, h, (
        '<rect x="0.5" y="0.5" width="%d" height="%d" fill="none" stroke="%s" stroke-opacity="0.55"/>'
        '<path d="%s" fill="none" stroke="%s" stroke-width="2"/>' % (w - 1, h - 1, BLUE, corners, ACCENT)))


def p_admin_bg(w, h):
    return svg_doc(w, h, (
        '<defs><linearGradient id="a" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#0d3558" stop-opacity="0.96"/>'
        '<stop offset="1" stop-color="#061a2e" stop-opacity="0.96"/></linearGradient></defs>'
        '<path d="M2 %g H%g L%g 2 L%g %g H%g V%g H2 Z" fill="url(#a)" stroke="%s" stroke-opacity="0.7" stroke-width="2"/>'
        % (h * 0.06, w * 0.74, w * 0.80, w * 0.86, h * 0.06, w - 2, h - 2, BLUE)))


def p_admin_bg_click(w, h):
    return svg_doc(w, h, (
        '<defs><linearGradient id="s" x1="0" x2="1"><stop offset="0" stop-color="%s" stop-opacity="0.05"/>'
        '<stop offset="0.5" stop-color="%s" stop-opacity="0.45"/><stop offset="1" stop-color="%s" stop-opacity="0.05"/>'
        '</linearGradient></defs><rect width="%d" height="%d" fill="url(#s)"/>'
        '<rect x="0" y="0" width="3" height="%d" fill="%s"/>' % (BLUE, BLUE, BLUE, w, h, h, ACCENT)))


def p_base_bg(w, h):
    return svg_doc(w, h, (
        '<defs><linearGradient id="g" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#000000" stop-opacity="0"/>'
        '<stop offset="1" stop-color="#02101e" stop-opacity="0.85"/></linearGradient></defs>'
        '<rect width="%d" height="%d" fill="url(#g)"/><rect y="%d" width="%d" height="1" fill="%s" fill-opacity="0.4"/>'
        % (w, h, h - 1, w, BLUE)))


def p_placeholder(glyph):
    def draw(w, h):
        s = h * 0.3
        return svg_doc(w, h, (
            '<rect width="%d" height="%d" fill="#07121f"/>'
            '<rect x="0.5" y="0.5" width="%d" height="%d" fill="none" stroke="#1d3a55"/>'
            '<g transform="translate(%g %g) scale(%g)">%s</g>'
            % (w, h, w - 1, h - 1, (w - s) / 2, (h - s) / 2, s / 24, glyph("#4d6f8c"))))
    return draw


def g_no_signal(c):
    return stroke_group(c, '<path d="M4 9a11 11 0 0 1 16 0M7 12.5a7 7 0 0 1 10 0M10 16a3 3 0 0 1 4 0"/>'
                           '<path d="M12 19.5v.2"/><path d="M4 4l16 16"/>', 1.6)


def g_no_snap(c):
    return stroke_group(c, '<rect x="3.5" y="5" width="17" height="14" rx="1.5"/><circle cx="9" cy="10" r="1.6"/>'
                           '<path d="M4 17l5-4.5 3 2.5 3.5-3.5 5 4.5"/><path d="M4 4l16 16"/>', 1.5)


def p_map_thumb(kind):
    def draw(w, h):
        if kind == "default":
            body = ('<rect width="%d" height="%d" rx="4" fill="#dfe8ee"/>'
                    '<path d="M0 %g C%g %g %g %g %d %g" stroke="#f4c542" stroke-width="5" fill="none"/>'
                    '<path d="M%g 0 V%d M0 %g H%d" stroke="#ffffff" stroke-width="4"/>'
                    '<rect x="%g" y="%g" width="%g" height="%g" fill="#b9d7a8"/>'
                    '<path d="M%g %g q%g %g %g 0" stroke="#8fc3e8" stroke-width="4" fill="none"/>'
                    % (w, h, h * 0.7, w * 0.3, h * 0.4, w * 0.6, h * 0.9, w, h * 0.5,
                       w * 0.35, h, h * 0.3, w, w * 0.55, h * 0.05, w * 0.3, h * 0.2, w * 0.05, h * 0.85, w * 0.2, -h * 0.2, w * 0.4))
        else:
            body = ('<rect width="%d" height="%d" rx="4" fill="#2f4a2a"/>'
                    '<path d="M0 %g Q%g %g %d %g V%d H0Z" fill="#4b6b3a"/>'
                    '<path d="M%g 0 Q%g %g %g %d" stroke="#8a7a5a" stroke-width="3" fill="none"/>'
                    '<circle cx="%g" cy="%g" r="%g" fill="#1e3a5a"/>'
                    % (w, h, h * 0.55, w * 0.5, h * 0.3, w, h * 0.6, h, w * 0.3, w * 0.5, h * 0.5, w * 0.4, h,
                       w * 0.75, h * 0.3, h * 0.16))
        frame = '<rect x="1" y="1" width="%d" height="%d" rx="4" fill="none" stroke="%s" stroke-width="2"/>' % (w - 2, h - 2, BLUE)
        return svg_doc(w, h, body + frame)
    return draw


def p_home_background(w, h):
    """The login and main windows' backdrop: a dark console room with a floor grid,
    a lit horizon and a faint network of linked nodes."""
    horizon = h * 0.58
    vx = w / 2
    floor = "".join('<path d="M%g %g L%g %g"/>' % (vx, horizon, vx + (x - vx) * 1.0, h)
                    for x in range(-w, 2 * w + 1, w // 16))
    rows = ""
    for i in range(1, 13):
        t = (i / 12.0) ** 2.2
        y = horizon + (h - horizon) * t
        rows += '<path d="M0 %g H%d" stroke-opacity="%.3f"/>' % (y, w, 0.08 + 0.22 * t)
    nodes = [(0.08, 0.18), (0.17, 0.11), (0.24, 0.27), (0.13, 0.36), (0.31, 0.16), (0.70, 0.13),
             (0.79, 0.24), (0.88, 0.15), (0.93, 0.33), (0.74, 0.36), (0.62, 0.22)]
    links = [(0, 1), (1, 2), (0, 3), (2, 3), (1, 4), (2, 4), (5, 6), (6, 7), (7, 8), (6, 9), (8, 9), (5, 10), (6, 10)]
    net = "".join('<path d="M%g %g L%g %g"/>' % (nodes[a][0] * w, nodes[a][1] * h, nodes[b][0] * w, nodes[b][1] * h)
                  for a, b in links)
    dots = "".join('<circle cx="%g" cy="%g" r="%g"/>' % (x * w, y * h, w / 480) for x, y in nodes)
    k = w / 40
    corners = ('M%g %g V%g H%g M%g %g H%g V%g M%g %g V%g H%g M%g %g H%g V%g'
               % (k / 2, k * 2, k / 2, k * 2, w - k * 2, k / 2, w - k / 2, k * 2,
                  w - k / 2, h - k * 2, h - k / 2, w - k * 2, k * 2, h - k / 2, k / 2, h - k * 2))
    return svg_doc(w, h, (
        '<defs><linearGradient id="sky" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#041427"/>'
        '<stop offset="0.58" stop-color="#082a4a"/><stop offset="1" stop-color="#020a14"/></linearGradient>'
        '<radialGradient id="lamp" cx="50%%" cy="58%%" r="55%%"><stop offset="0" stop-color="#1b78c4" stop-opacity="0.45"/>'
        '<stop offset="1" stop-color="#1b78c4" stop-opacity="0"/></radialGradient>'
        '<linearGradient id="line" x1="0" x2="1"><stop offset="0" stop-color="%s" stop-opacity="0"/>'
        '<stop offset="0.5" stop-color="%s"/><stop offset="1" stop-color="%s" stop-opacity="0"/></linearGradient></defs>'
        '<rect width="%d" height="%d" fill="url(#sky)"/><rect width="%d" height="%d" fill="url(#lamp)"/>'
        '<g stroke="#2a8fd8" stroke-opacity="0.22" stroke-width="%g" fill="none">%s</g>'
        '<g stroke="#2a8fd8" stroke-width="%g" fill="none">%s</g>'
        '<rect x="0" y="%g" width="%d" height="%g" fill="url(#line)"/>'
        '<g stroke="%s" stroke-opacity="0.25" stroke-width="%g" fill="none">%s</g>'
        '<g fill="%s" fill-opacity="0.55">%s</g>'
        '<path d="%s" fill="none" stroke="%s" stroke-opacity="0.35" stroke-width="%g"/>'
        % (ACCENT, ACCENT, ACCENT, w, h, w, h, w / 1600, floor, w / 1600, rows,
           horizon - w / 1600, w, w / 800, ACCENT, w / 1600, net, ACCENT, dots, corners, BLUE, w / 960)))
