.pragma library

// How large a top-level window may be: never larger than the screen's available area (the
// screen less its panels, in logical pixels), so that its caption and buttons stay within
// the pointer's reach. Where it goes is the window's own business (FramelessWindow places
// it in one step).

// A window's length along one axis, bounded by the area's.
function fitted(wanted, available) {
    return Math.max(0, Math.min(wanted, available));
}

// A window's largest length along one axis: the area's, or no bound without an area.
function bound(available) {
    return available > 0 ? available : 16777215;
}
