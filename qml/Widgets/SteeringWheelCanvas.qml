import QtQuick

// The painted face of the PTZ wheel: the lit quarter, the centre disc and four arrow
// heads. It repaints when the lit quarter, the size or the style changes, never while
// only the handle moves.
Canvas {
    id: canvas

    property int currentCell: -1
    property real handleWidth: width / 3

    antialiasing: true
    contextType: "2d"

    // Canvas angles of each quarter's end (clockwise from the positive x axis); the
    // quarter spans a right angle before it.
    readonly property var quarterEnds: [-Math.PI / 4, Math.PI / 4, 5 * Math.PI / 4, 3 * Math.PI / 4]

    onCurrentCellChanged: requestPaint()
    onWidthChanged: requestPaint()

    Connections {
        target: styleManager
        function onStyleChanged() { canvas.requestPaint(); }
    }

    function styleColor(key) {
        return styleManager.style.color("Widgets-SteeringWheelButton-" + key);
    }

    function wheelGradient(ctx, innerRadius) {
        const centre = width / 2;
        const gradient = ctx.createRadialGradient(centre, centre, innerRadius, centre, centre, width / 2);
        gradient.addColorStop(0, styleColor("Gradient1"));
        gradient.addColorStop(0.5, styleColor("Gradient2"));
        gradient.addColorStop(1, styleColor("Gradient3"));
        return gradient;
    }

    function paintLitQuarter(ctx) {
        const lit = currentCell >= 0 && currentCell < quarterEnds.length;
        const end = lit ? quarterEnds[currentCell] : 0;
        const start = end - Math.PI / 2;
        const centre = width / 2;
        ctx.beginPath();
        ctx.moveTo(centre, centre);
        ctx.arc(centre, centre, lit ? width / 2 : 0, start + 0.2, end - 0.2, false);
        ctx.fillStyle = wheelGradient(ctx, width / 5);
        ctx.fill();
    }

    function paintCentreDisc(ctx) {
        const centre = width / 2;
        ctx.beginPath();
        ctx.moveTo(centre, centre);
        ctx.arc(centre, centre, handleWidth / 1.4, 0, 2 * Math.PI, false);
        ctx.fillStyle = wheelGradient(ctx, 20);
        ctx.fill();
    }

    // Each turn adds to the last, so the heads end up pointing right, down, up and left.
    function paintArrows(ctx) {
        const tip = width / 2 - 10;
        const half = width / 15;
        ctx.translate(width / 2, width / 2);
        ctx.fillStyle = styleColor("ArrowColor");
        for (let i = 0; i < 4; ++i) {
            ctx.rotate(i * Math.PI / 2);
            ctx.beginPath();
            ctx.moveTo(tip - half, -half);
            ctx.lineTo(tip - half, half);
            ctx.lineTo(tip, 0);
            ctx.closePath();
            ctx.fill();
        }
    }

    onPaint: {
        const ctx = getContext("2d");
        if (width <= 0 || !ctx)
            return;
        ctx.reset();
        paintLitQuarter(ctx);
        paintCentreDisc(ctx);
        paintArrows(ctx);
    }
}
