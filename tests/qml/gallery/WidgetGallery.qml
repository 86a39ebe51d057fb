import QtQuick
import QtQuick.Window
import QtQuick.Controls as QQC
import "qrc:/zelka/qml/Widgets" as Widgets
import "qrc:/zelka/qml/Api/api.js" as Api

// A look at every widget of the library, in its states, on the client's dark
// background; the pickers, which no page shows, in a column of their own. Run through
// the client's test build (see README.md here).
Window {
    id: gallery
    width: 1860
    height: 1000
    visible: true
    color: "#0b1a33"
    title: "Widget gallery"

    readonly property var style: styleManager.style
    readonly property real s: styleManager.scaleRatio

    component Caption: Text {
        color: "#90989e"
        font.family: "微软雅黑"
        font.pointSize: 9
    }

    component Cell: Column {
        property alias caption: label.text
        spacing: 6
        Caption { id: label }
    }

    Grid {
        x: 30
        y: 30
        columns: 3
        columnSpacing: 70
        rowSpacing: 40

        Cell {
            caption: "ImageButton: Normal / checked / isCurrent"
            Row {
                spacing: 10
                Repeater {
                    model: [{}, { checked: true }, { isCurrent: true }]
                    Widgets.ImageButton {
                        width: 120
                        height: 40
                        text: "登录"
                        textColor: "white"
                        normalImage: gallery.style.image("Login-LoginButton-Normal")
                        hoveredImage: gallery.style.image("Login-LoginButton-Hovered")
                        pressedImage: gallery.style.image("Login-LoginButton-Pressed")
                        checked: modelData.checked === true
                        isCurrent: modelData.isCurrent === true
                    }
                }
            }
        }

        Cell {
            caption: "ImageButton: icons"
            Row {
                spacing: 10
                Repeater {
                    model: ["Login-CloseButton", "Login-SetButton", "Login-MinButton", "Home-MaxButton"]
                    Widgets.ImageButton {
                        width: 24
                        height: 24
                        normalImage: gallery.style.image(modelData + "-Normal")
                        hoveredImage: gallery.style.image(modelData + "-Hovered")
                        pressedImage: gallery.style.image(modelData + "-Pressed")
                        checked: index === 3
                    }
                }
            }
        }

        Cell {
            caption: "ColorButton: normal / checked"
            Row {
                spacing: 10
                Repeater {
                    model: [false, true]
                    Widgets.ColorButton {
                        width: 100
                        height: 34
                        radius: 4
                        text: modelData ? "已选中" : "确定"
                        textColor: gallery.style.color("Login-LoginButton-TextColor")
                        normalColor: gallery.style.color("Login-LoginButton-Normal")
                        hoveredColor: Qt.lighter(normalColor)
                        pressedColor: Qt.darker(normalColor, 1.2)
                        checkable: true
                        checked: modelData
                    }
                }
            }
        }

        Cell {
            caption: "ToolTip (always shown)"
            Item {
                width: 160
                height: 50
                Rectangle {
                    id: tipAnchor
                    anchors.bottom: parent.bottom
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: 40
                    height: 4
                    color: "transparent"
                    Widgets.ToolTip {
                        visible: true
                        text: "已经复制到剪切板!"
                        y: -implicitHeight - 4
                    }
                }
            }
        }

        Cell {
            caption: "ComboBox (closed)"
            Widgets.ComboBox {
                width: 140
                height: 32
                model: ["10条/页", "20条/页", "50条/页"]
            }
        }

        Cell {
            caption: "ComboBox (open, 9 rows, 4 shown)"
            z: 2
            Widgets.ComboBox {
                id: openCombo
                width: 140
                height: 32
                model: ["全部", "一级", "二级", "三级", "四级", "五级", "六级", "七级", "八级"]
                currentIndex: 2
                Component.onCompleted: popupTimer.start()
                Timer {
                    id: popupTimer
                    interval: 300
                    onTriggered: openCombo.popup.open()
                }
            }
            // Room for the open list.
            Item { width: 1; height: 4 * 32 }
        }

        Cell {
            caption: "LineEdit: plain / focused"
            Column {
                spacing: 8
                Widgets.LineEdit {
                    width: 200
                    height: 32
                    placeholderText: "用户名"
                    hoveredColor: gallery.style.color("Login-TextColor")
                }
                Widgets.LineEdit {
                    id: focusedEdit
                    width: 200
                    height: 32
                    text: "192.168.1.20"
                    hoveredColor: gallery.style.color("Login-TextColor")
                    Component.onCompleted: forceActiveFocus()
                }
            }
        }

        Cell {
            caption: "CheckBox: off / on"
            Column {
                spacing: 8
                Widgets.CheckBox {
                    width: 120
                    height: 24
                    text: "记住密码"
                    textColor: gallery.style.color("Login-TextColor")
                }
                Widgets.CheckBox {
                    width: 120
                    height: 24
                    checked: true
                    text: "街道"
                    textColor: gallery.style.color("Login-TextColor")
                }
            }
        }

        Cell {
            caption: "Slider 1..255 at 128, with a value tip"
            Item {
                width: 240
                height: 60
                Widgets.Slider {
                    id: slider
                    anchors.bottom: parent.bottom
                    width: 240
                    height: 14
                    from: 1
                    to: 255
                    value: 128
                }
                Widgets.ToolTip {
                    parent: slider.handle
                    visible: true
                    font.pointSize: 10 * styleManager.fontScaleRatio
                    text: " " + slider.value.toFixed(0) + " "
                }
            }
        }

        Cell {
            caption: "ScrollBar on a long list"
            ListView {
                id: longList
                width: 160
                height: 100
                clip: true
                model: 30
                delegate: Text {
                    text: "通道 " + (index + 1)
                    color: gallery.style.color("Login-TextColor")
                    font.family: "微软雅黑"
                    height: 20
                }
                QQC.ScrollBar.vertical: Widgets.ScrollBar {
                    id: listBar
                    width: 12
                    active: true
                }
                Component.onCompleted: contentY = 120
            }
        }

        Cell {
            caption: "GlowRectangle: no glow / glow 10, inset 12"
            Row {
                spacing: 16
                Widgets.GlowRectangle {
                    width: 90
                    height: 60
                    color: "#1a2234"
                    radius: 4
                }
                Widgets.GlowRectangle {
                    width: 110
                    height: 80
                    color: "#1a2234"
                    radius: 4
                    glowColor: "#16FFFE"
                    glowRadius: 10
                    rect.anchors.margins: 12
                }
            }
        }

        Cell {
            caption: "Circle / Parallelogram xs 0.5 / ys 0.25"
            Row {
                spacing: 24
                Widgets.Circle {
                    width: 40
                    height: 40
                    color: gallery.style.color("Widgets-ToolTip-TextColor")
                }
                Item {
                    width: 70
                    height: 40
                    Widgets.Parallelogram {
                        width: 40
                        height: 40
                        xs: 0.5
                        color: "#16FFFE"
                    }
                }
                Item {
                    width: 50
                    height: 50
                    Widgets.Parallelogram {
                        width: 40
                        height: 30
                        ys: 0.25
                        color: "#ffc000"
                    }
                }
            }
        }

        Cell {
            caption: "SwipeView at page 1 of 3"
            Widgets.SwipeView {
                width: 200
                height: 60
                currentIndex: 1
                Rectangle { color: "#3a1a1a"; Text { anchors.centerIn: parent; text: "第一页"; color: "white" } }
                Rectangle { color: "#1a3a2a"; Text { anchors.centerIn: parent; text: "第二页"; color: "white" } }
                Rectangle { color: "#1a2a3a"; Text { anchors.centerIn: parent; text: "第三页"; color: "white" } }
            }
        }

        Cell {
            caption: "api.js"
            Text {
                color: gallery.style.color("Login-TextColor")
                font.family: "微软雅黑"
                font.pointSize: 9
                text: "2024年2月: " + Api.getMonthDayTotal(2024, 1) + " 天\n"
                      + "WGS-84 39.9,116.4 → GCJ-02 " + Api.wgs84Togcj02([39.9, 116.4]).map(v => v.toFixed(6)).join(",") + "\n"
                      + "setColorOpacity(#157595, 0.4) = " + Api.setColorOpacity("#157595", 0.4)
            }
        }
    }

    // The pickers keep their own fixed-pixel looks: the colour picker open on a chosen
    // colour, the date-time selector (black text by default) on a light card.
    Column {
        x: 1330
        y: 30
        spacing: 6

        Caption { text: "ColorPicker: open on #c8e8762b" }
        Widgets.ColorPicker {
            id: colorPicker
            initColor: "#c8e8762b"
            Component.onCompleted: open()
        }

        Item { width: 1; height: 24 }

        Caption { text: "DateTimeSelector on 2021-10-31 14:07" }
        Rectangle {
            width: 460
            height: 140
            color: "#f6f6f6"
            radius: 4
            Widgets.DateTimeSelector {
                anchors.centerIn: parent
                currentTime: new Date(2021, 9, 31, 14, 7)
            }
        }
    }
}
