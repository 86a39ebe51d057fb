.pragma library

// Where a top-level window goes: never larger than the screen's available area (the
// screen less its panels, in logical pixels) and, wherever it is placed, inside it, so
// that its caption and buttons stay within the pointer's reach.

// A window's length along one axis, bounded by the area's.
function fitted(wanted, available) {
    return Math.max(0, Math.min(wanted, available));
}

// A window's largest length along one axis: the area's, or no bound without an area.
function bound(available) {
    return available > 0 ? available : 16777215;
}

// The start of a window of `size` centred on the span from `start`, `length` long.
function centred(start, length, size) {
    return start + (length - size) * 0.5;
}

// `position` moved just far enough for a window of `size` to lie inside the span.
function keptInside(position, size, start, length) {
    return Math.max(start, Math.min(position, start + length - size));
}
