.pragma library

// How the dashboard reads the server's figures: a number, or a number written as text.
// Anything else (an empty text, a word, null, an object) is NaN, so that a caller can
// leave it out instead of drawing it.
function readNumber(value) {
    if (typeof value === "number")
        return value;
    if (typeof value === "string" && value.trim() !== "")
        return Number(value);
    return NaN;
}
