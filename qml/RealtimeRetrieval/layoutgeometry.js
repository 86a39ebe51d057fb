.pragma library

// The camera layouts of "layout.json" and the geometry of their cells. Every layout's
// records are computed ahead for the present grid size, so that a layout switch only
// applies them.

// Space between grid cells and between miniature cells, in pixels.
var spacing = 1;

function isWholeNumber(value) {
    return typeof value === "number" && isFinite(value) && Math.floor(value) === value;
}

// Why a span element of "items" cannot be used, or "" when it can.
function itemProblem(item, index) {
    if (item === null || typeof item !== "object")
        return "item " + index + " is not an object";
    if (!isWholeNumber(item.rowSpan) || item.rowSpan < 1)
        return "item " + index + ": \"rowSpan\" is not a whole number of at least 1";
    if (!isWholeNumber(item.columnSpan) || item.columnSpan < 1)
        return "item " + index + ": \"columnSpan\" is not a whole number of at least 1";
    return "";
}

// Why a layout object cannot be used, or "" when it can.
function layoutProblem(layout, cellCount) {
    if (layout === null || typeof layout !== "object" || Array.isArray(layout))
        return "not an object";
    if (!isWholeNumber(layout.count) || layout.count < 1 || layout.count > cellCount)
        return "\"count\" outside 1.." + cellCount;
    if (!isWholeNumber(layout.rows) || layout.rows < 1)
        return "\"rows\" below 1 or not a whole number";
    if (!isWholeNumber(layout.columns) || layout.columns < 1)
        return "\"columns\" below 1 or not a whole number";
    if (layout.average === true)
        return "";
    if (!Array.isArray(layout.items))
        return "neither \"average\" true nor an \"items\" array";
    // Elements past "count" are never read.
    const used = Math.min(layout.items.length, layout.count);
    for (let j = 0; j < used; ++j) {
        const problem = itemProblem(layout.items[j], j);
        if (problem !== "")
            return problem;
    }
    return "";
}

// Parses the text of the layout file. Returns {layouts, problems}: the usable layouts in
// file order and one line per fault (the whole file, or one skipped layout), each naming
// the file.
function parseLayouts(text, fileName, cellCount) {
    if (text === "")
        return {layouts: [], problems: [fileName + ": missing, unreadable or empty"]};
    let parsed;
    try {
        parsed = JSON.parse(text);
    } catch (error) {
        return {layouts: [], problems: [fileName + ": not valid JSON (" + error.message + ")"]};
    }
    if (!Array.isArray(parsed))
        return {layouts: [], problems: [fileName + ": not a JSON array of layouts"]};
    const layouts = [];
    const problems = [];
    for (let i = 0; i < parsed.length; ++i) {
        const problem = layoutProblem(parsed[i], cellCount);
        if (problem === "")
            layouts.push(parsed[i]);
        else
            problems.push(fileName + ": layout " + i + " skipped: " + problem);
    }
    return {layouts: layouts, problems: problems};
}

function hiddenRecord() {
    return {visible: false, width: 0, height: 0, layoutWidth: 0, layoutHeight: 0,
            rowSpan: 1, columnSpan: 1, fillWidth: false, fillHeight: false};
}

// One cell's share of a length split into `parts` with the spacing between them.
function share(length, parts) {
    return Math.round((length - spacing * (parts - 1)) / parts);
}

// The records of one layout's cells; `size` holds the grid's and the layout button's
// width and height. Always `cellCount` records: the cells past "count" are hidden.
function layoutRecords(layout, size, cellCount) {
    const cellWidth = share(size.width, layout.columns);
    const cellHeight = share(size.height, layout.rows);
    const miniWidth = share(size.buttonWidth, layout.columns);
    const miniHeight = share(size.buttonHeight, layout.rows);
    const plain = {visible: true, width: cellWidth, height: cellHeight, layoutWidth: miniWidth,
                   layoutHeight: miniHeight, rowSpan: 1, columnSpan: 1, fillWidth: false, fillHeight: false};
    const records = [];
    const items = layout.average === true ? [] : layout.items.slice(0, layout.count);
    for (const item of items) {
        const record = {
            visible: true,
            width: cellWidth * item.columnSpan + spacing * (item.columnSpan - 1),
            height: cellHeight * item.rowSpan + spacing * (item.rowSpan - 1),
            layoutWidth: miniWidth * item.columnSpan + spacing * (item.columnSpan - 1),
            layoutHeight: miniHeight * item.rowSpan + spacing * (item.rowSpan - 1),
            rowSpan: item.rowSpan,
            columnSpan: item.columnSpan,
            fillWidth: item.fillWidth === true,
            fillHeight: item.fillHeight === true
        };
        // A span over the whole grid takes the whole length, not the rounded shares.
        if (item.columnSpan === layout.columns) {
            record.width = size.width;
            record.layoutWidth = size.buttonWidth;
        }
        if (item.rowSpan === layout.rows) {
            record.height = size.height;
            record.layoutHeight = size.buttonHeight;
        }
        records.push(record);
    }
    while (records.length < layout.count)
        records.push(Object.assign({}, plain));
    while (records.length < cellCount)
        records.push(hiddenRecord());
    return records;
}

function allLayoutRecords(layouts, size, cellCount) {
    return layouts.map(layout => layoutRecords(layout, size, cellCount));
}

// The cell that becomes current after a pick in cell `index`: the next one, or cell 0
// past the layout's last cell.
function nextCell(index, count) {
    return index + 1 >= count ? 0 : index + 1;
}
