import QtQuick
import "paging.js" as Paging

// The paging row of the paged lists: "<" and ">" around the page shown, a page field
// with "确定", and the count of rows shown against the total. It moves no page itself:
// it asks for one with pageChosen, and shows in the used button's tool tip why it cannot.
Row {
    id: row

    property int currentPage: 0
    property int totalPage: 0
    property int rowCount: 0
    property int total: 0
    property color textColor: styleManager.style.color("Login-TextColor")
    // Return or Enter in the page field acts as "确定", but only on a value the field accepts.
    property bool jumpOnReturn: false
    readonly property color buttonColor: styleManager.style.color("Login-LoginButton-Normal")

    signal pageChosen(int page)

    // Goes to the page of `step` ({page} or {message}), or shows its message in `tip`.
    function follow(step, tip) {
        if (step.message !== undefined)
            tip.show(step.message, 800);
        else
            pageChosen(step.page);
    }

    spacing: 10 * styleManager.scaleRatio

    component PageButton: ColorButton {
        width: 32 * styleManager.scaleRatio
        height: row.height
        normalColor: row.buttonColor
        hoveredColor: Qt.lighter(normalColor)
        pressedColor: Qt.darker(normalColor, 1.2)
        textColor: row.textColor
        radius: 2
    }

    component RowText: Text {
        anchors.verticalCenter: parent.verticalCenter
        color: row.textColor
        font.family: "微软雅黑"
        font.pointSize: 11 * styleManager.fontScaleRatio
    }

    PageButton {
        objectName: "previousPageButton"
        text: "<"
        font.pointSize: 12 * styleManager.fontScaleRatio
        onClicked: row.follow(Paging.previous(row.currentPage), leftPageTooltip)

        ToolTip { id: leftPageTooltip; objectName: "leftPageTooltip" }
    }

    RowText {
        objectName: "pageText"
        text: Paging.pageText(row.currentPage, row.totalPage)
    }

    PageButton {
        objectName: "nextPageButton"
        text: ">"
        font.pointSize: 12 * styleManager.fontScaleRatio
        onClicked: row.follow(Paging.next(row.currentPage, row.totalPage), rightPageTooltip)

        ToolTip { id: rightPageTooltip; objectName: "rightPageTooltip" }
    }

    RowText { text: "到第" }

    Rectangle {
        width: 50 * styleManager.scaleRatio
        height: row.height
        color: styleManager.style.color("Widgets-ComboBox-Background")
        border.color: styleManager.style.color("Widgets-ComboBox-BorderColor")
        clip: true

        TextInput {
            id: pageEdit
            objectName: "pageEdit"
            anchors.fill: parent
            text: "1"
            horizontalAlignment: TextInput.AlignHCenter
            verticalAlignment: TextInput.AlignVCenter
            color: row.textColor
            font.family: "微软雅黑"
            font.pointSize: 11 * styleManager.fontScaleRatio
            selectByMouse: true
            selectionColor: "#a01AA9FF"
            validator: IntValidator { bottom: 1; top: 10000 }
            // Emitted only for acceptable input.
            onAccepted: {
                if (row.jumpOnReturn)
                    gotoPageButton.clicked();
            }
        }
    }

    RowText { text: "页" }

    PageButton {
        id: gotoPageButton
        objectName: "gotoPageButton"
        width: 60 * styleManager.scaleRatio
        text: "确定"
        onClicked: row.follow(Paging.goTo(pageEdit.text, row.totalPage), gotoPageTooltip)

        ToolTip { id: gotoPageTooltip; objectName: "gotoPageTooltip" }
    }

    RowText {
        objectName: "countText"
        text: Paging.countText(row.rowCount, row.total)
    }
}
