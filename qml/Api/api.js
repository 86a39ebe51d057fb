.pragma library

// Pure helpers shared by the pages: clock texts, calendar, colour alpha, geometry and
// the coordinate shifts between WGS-84 (device GPS), GCJ-02 (map tiles) and BD-09.

// Reference ellipsoid of the GCJ-02 shift; ee is the published constant, kept exact.
var a = 6378245;
var ee = 0.006693421622965823;
var baiduFactor = Math.PI * 3000.0 / 180.0;

// Correction rounds of the GCJ-02 inverse: two or three suffice inside the box, the
// bound only matters at its west and south edges where guesses can alternate.
var gcjInverseMaxRounds = 30;
var gcjInverseTolerance = 1e-6;

function stringToVec2(str) {
    var parts = String(str).replace(/[()]/g, "").split(",");
    if (parts.length !== 2)
        return Qt.vector2d(0, 0);
    return Qt.vector2d(Number(parts[0]), Number(parts[1]));
}

// month counts from 0; day 0 of the next month is the last day of this one.
function getMonthDayTotal(year, month) {
    return new Date(year, month + 1, 0).getDate();
}

function getFull(full) {
    return full < 10 ? "0" + full : String(full);
}

function getFullDate(year, month, day) {
    return getFull(year) + getFull(month) + getFull(day);
}

function getFullTime(hour, minute, seconds) {
    return getFull(hour) + getFull(minute) + getFull(seconds);
}

function colorText(color) {
    return String(color);
}

function setColorOpacity(color, opacity) {
    var text = colorText(color);
    var alphaValue = Math.max(0, Math.floor(opacity * 255));
    var alpha = (alphaValue <= 15 ? "0" : "") + alphaValue.toString(16);
    if (text === "transparent")
        return "#" + alpha + "000000";
    var digits = text.replace("#", "");
    if (digits.length === 6)
        return "#" + alpha + digits;
    if (digits.length === 8)
        return "#" + alpha + digits.substring(2);
    return text;
}

function getColorOpacity(color) {
    var text = colorText(color);
    if (text === "transparent")
        return 0;
    var digits = text.replace("#", "");
    if (digits.length === 8)
        return parseInt(digits.substring(0, 2), 16) / 255;
    return 1.0;
}

function getColorNoOpacity(color) {
    var text = colorText(color);
    if (text === "transparent")
        return "#000000";
    if (text.length === 9)
        return "#" + text.substring(3);
    return text;
}

function pointDistance(p1, p2) {
    var dx = p1.x - p2.x;
    var dy = p1.y - p2.y;
    return Math.sqrt(dx * dx + dy * dy);
}

function isInChinaBbox(lat, lon) {
    return lon >= 72.004 && lon <= 137.8347 && lat >= 0.8293 && lat <= 55.8271;
}

function transformLat(x, y) {
    var ret = -100.0 + 2.0 * x + 3.0 * y + 0.2 * y * y + 0.1 * x * y + 0.2 * Math.sqrt(Math.abs(x));
    ret += ((20.0 * Math.sin(6.0 * x * Math.PI) + 20.0 * Math.sin(2.0 * x * Math.PI)) * 2.0) / 3.0;
    ret += ((20.0 * Math.sin(y * Math.PI) + 40.0 * Math.sin((y / 3.0) * Math.PI)) * 2.0) / 3.0;
    ret += ((160.0 * Math.sin((y / 12.0) * Math.PI) + 320 * Math.sin((y * Math.PI) / 30.0)) * 2.0) / 3.0;
    return ret;
}

function transformLon(x, y) {
    var ret = 300.0 + x + 2.0 * y + 0.1 * x * x + 0.1 * x * y + 0.1 * Math.sqrt(Math.abs(x));
    ret += ((20.0 * Math.sin(6.0 * x * Math.PI) + 20.0 * Math.sin(2.0 * x * Math.PI)) * 2.0) / 3.0;
    ret += ((20.0 * Math.sin(x * Math.PI) + 40.0 * Math.sin((x / 3.0) * Math.PI)) * 2.0) / 3.0;
    ret += ((150.0 * Math.sin((x / 12.0) * Math.PI) + 300.0 * Math.sin((x / 30.0) * Math.PI)) * 2.0) / 3.0;
    return ret;
}

function delta(lat, lon) {
    var dLon = transformLon(lon - 105.0, lat - 35.0);
    var dLat = transformLat(lon - 105.0, lat - 35.0);
    var radLat = (lat / 180.0) * Math.PI;
    var magic = Math.sin(radLat);
    magic = 1 - ee * magic * magic;
    var sqrtMagic = Math.sqrt(magic);
    dLon = (dLon * 180.0) / ((a / sqrtMagic) * Math.cos(radLat) * Math.PI);
    dLat = (dLat * 180.0) / (((a * (1 - ee)) / (magic * sqrtMagic)) * Math.PI);
    return [dLat, dLon];
}

function wgs84Togcj02(coord) {
    var lat = coord[0];
    var lon = coord[1];
    if (!isInChinaBbox(lat, lon))
        return [lat, lon];
    var d = delta(lat, lon);
    return [lat + d[0], lon + d[1]];
}

// Inverts the forward shift by fixed-point correction. The rounds are bounded: near the
// box's west and south edges a corrected guess can leave the box, where the forward
// shift is the identity, and the guesses then alternate for ever. The guess whose
// forward shift came closest to the input is the answer when the bound is reached.
function gcj02Towgs84(coord) {
    var lat = coord[0];
    var lon = coord[1];
    if (!isInChinaBbox(lat, lon))
        return [lat, lon];
    var guess = [lat, lon];
    var best = guess;
    var bestError = Infinity;
    for (var round = 0; round <= gcjInverseMaxRounds; ++round) {
        var shifted = wgs84Togcj02(guess);
        var dx = shifted[0] - lat;
        var dy = shifted[1] - lon;
        var error = Math.max(Math.abs(dx), Math.abs(dy));
        if (error < bestError) {
            bestError = error;
            best = guess;
        }
        if (Math.abs(dx) <= gcjInverseTolerance && Math.abs(dy) <= gcjInverseTolerance)
            return guess;
        guess = [guess[0] - dx, guess[1] - dy];
    }
    return best;
}

function bd09Togcj02(coord) {
    var x = coord[1] - 0.0065;
    var y = coord[0] - 0.006;
    var z = Math.sqrt(x * x + y * y) - 0.00002 * Math.sin(y * baiduFactor);
    var theta = Math.atan2(y, x) - 0.000003 * Math.cos(x * baiduFactor);
    return [z * Math.sin(theta), z * Math.cos(theta)];
}

function gcj02Tobd09(coord) {
    var x = coord[1];
    var y = coord[0];
    var z = Math.sqrt(x * x + y * y) + 0.00002 * Math.sin(y * baiduFactor);
    var theta = Math.atan2(y, x) + 0.000003 * Math.cos(x * baiduFactor);
    return [z * Math.sin(theta) + 0.006, z * Math.cos(theta) + 0.0065];
}
