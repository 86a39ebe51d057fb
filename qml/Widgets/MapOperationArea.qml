import QtQuick

// The gestures of a map: a pinch zooms and turns it about the fingers, the wheel zooms,
// a left drag pans and a right drag turns and tilts it. The area draws nothing and moves
// no item; it only drives targetMap. The handlers report totals since a gesture began:
// the area keeps the last totals and applies each step's difference.
Item {
    id: area

    property Item targetMap: null
    // The ground that lay under the fingers when the pinch began.
    property var startCentroid
    // Touchpads scroll through the wheel handler only where the platform tells them
    // apart from mice; decided once.
    readonly property bool touchpadZooms: ["cocoa", "wayland"].includes(Qt.platform.pluginName)

    QtObject {
        id: last

        property real scale: 1
        property real rotation: 0
        property vector2d leftTranslation: Qt.vector2d(0, 0)
        property vector2d rightTranslation: Qt.vector2d(0, 0)
    }

    PinchHandler {
        id: pinch

        target: null
        grabPermissions: PointerHandler.TakeOverForbidden

        function align() {
            area.targetMap.alignCoordinateToPoint(area.startCentroid, centroid.position);
        }

        onActiveChanged: {
            if (!active || !area.targetMap)
                return;
            area.startCentroid = area.targetMap.toCoordinate(centroid.position, false);
            // Both start from the gesture's first touch, not from where it became a pinch.
            last.scale = 1;
            last.rotation = 0;
        }
        onActiveScaleChanged: {
            if (!active || !area.targetMap || last.scale <= 0)
                return;
            const step = activeScale / last.scale;
            last.scale = activeScale;
            area.targetMap.zoomLevel += Math.log2(step);
            align();
        }
        onRotationChanged: {
            if (!active || !area.targetMap)
                return;
            const step = rotation - last.rotation;
            last.rotation = rotation;
            area.targetMap.bearing -= step;
            align();
        }
    }

    WheelHandler {
        id: wheel

        acceptedDevices: area.touchpadZooms ? PointerDevice.Mouse | PointerDevice.TouchPad : PointerDevice.Mouse
        target: area.targetMap
        property: "zoomLevel"
        rotationScale: 1 / 120
    }

    DragHandler {
        id: drag

        target: null
        acceptedButtons: Qt.LeftButton
        onActiveChanged: last.leftTranslation = Qt.vector2d(0, 0)
        onActiveTranslationChanged: {
            if (!active || !area.targetMap)
                return;
            const step = activeTranslation.minus(last.leftTranslation);
            last.leftTranslation = activeTranslation;
            area.targetMap.pan(-step.x, -step.y);
        }
    }

    DragHandler {
        target: null
        acceptedButtons: Qt.RightButton
        onActiveChanged: last.rightTranslation = Qt.vector2d(0, 0)
        onActiveTranslationChanged: {
            if (!active || !area.targetMap)
                return;
            const step = activeTranslation.minus(last.rightTranslation);
            last.rightTranslation = activeTranslation;
            area.targetMap.bearing += step.x / 4;
            area.targetMap.tilt -= step.y / 2;
        }
    }
}
