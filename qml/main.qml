import QtQuick
import QtQuick.Controls
import QtQuick.Window
import Qt5Compat.GraphicalEffects
import an.window 1.0
import "./Widgets" as Widgets
import "./Widgets/windowplacement.js" as Placement

// The login window: the server's title and adverts, the credentials form with captcha and
// remembered password, the visitor login, and the hand-over to the main window. Every
// size here is fixed; only the tool tips without a font of their own follow the scaling.
FramelessWindow {
    id: loginWindow

    property color textColor: styleManager.style.color("Login-TextColor")
    property color inputColor: styleManager.style.color("Login-InputColor")

    function display() {
        showAnimation.restart();
    }

    function quit() {
        quitAnimation.restart();
    }

    function save() {
        session.settings.username = usernameEdit.text;
        if (remember.checked)
            session.settings.password = passwordEdit.text;
        settingManager.writeSettings();
    }

    // Never larger than the available area of the screen it is on (availableArea).
    width: minimumWidth
    height: minimumHeight
    minimumWidth: Placement.fitted(1040, availableArea.width)
    minimumHeight: Placement.fitted(600, availableArea.height)
    captionWidth: width - 128
    title: session.otherConfig.title
    color: "transparent"
    opacity: 0.0
    visible: true
    resizable: true

    Component.onCompleted: {
        centreInAvailableArea();
        networkManager.getOtherConfig();
        networkManager.getAdertisingList(function(adverts) {
            for (let i = 0; i < adverts.length; ++i)
                imageView.addItem(adertisingComp.createObject(imageView, { object: adverts[i] }));
        });
    }

    NumberAnimation {
        id: showAnimation
        target: loginWindow
        property: "opacity"
        to: 1.0
        duration: 300
        running: true
    }

    NumberAnimation {
        id: quitAnimation
        target: loginWindow
        property: "opacity"
        to: 0.0
        duration: 200
        onStopped: {
            loginWindow.save();
            Qt.quit();
        }
    }

    NumberAnimation {
        id: closeAnimation
        target: loginWindow
        property: "opacity"
        to: 0.0
        duration: 200
        onStopped: handOver.finish()
    }

    // What the form and the server's configuration share, kept off the window's interface.
    QtObject {
        id: session

        readonly property var settings: settingManager.settings
        readonly property var otherConfig: networkManager.otherConfig
        readonly property string hostAndPort: settings.host + ":" + settings.port
        // The captcha comes from the API's own port, which speaks plain HTTP.
        readonly property string captchaAddress: "http://" + hostAndPort + "/api/v1/captcha"

        function logIn() {
            if (settings.username !== usernameEdit.text) {
                settings.carouselList = [];
                settingManager.writeSettings();
            }
            loginWindow.save();
            networkManager.login(usernameEdit.text, passwordEdit.text, vercodeEdit.text, function(success, errorString) {
                answer(success, errorString, loginTooltip);
            });
        }

        function logInAsVisitor() {
            networkManager.login("guest", "vistr4816", vercodeEdit.text, function(success, errorString) {
                answer(success, errorString, visitorLoginTooltip);
            });
        }

        function answer(success, errorString, tooltip) {
            if (success)
                handOver.begin();
            else
                tooltip.show(errorString, 800);
        }

        // Adverts come from the server: only web pages are handed to the browser.
        function openAdvert(address) {
            const text = String(address ?? "");
            if (/^https?:\/\/\S+$/i.test(text))
                Qt.openUrlExternally(text);
        }
    }

    // The first success fades the window out and opens the one main window; later
    // successes (a second click, the visitor button) find the hand-over under way.
    QtObject {
        id: handOver
        objectName: "handOver"

        // The main window's file; tests point it elsewhere to see a hand-over fail.
        property url windowUrl: "./HomePage/HomeWindow.qml"
        property bool started: false

        function begin() {
            if (started)
                return;
            started = true;
            closeAnimation.start();
        }

        function finish() {
            const component = Qt.createComponent(windowUrl);
            const window = component.status === Component.Ready ? component.createObject(Qt.application) : null;
            if (!window) {
                console.warn("HomeWindow could not be created:", component.errorString() || "no object");
                started = false;
                loginWindow.display();
                return;
            }
            window.requestActivate();
            window.raise();
            loginWindow.close();
        }
    }

    FontLoader {
        id: yousheFont
        source: "qrc:/zelka/res/font/YouSheBiaoTiHei.ttf"
    }

    Component {
        id: adertisingComp

        AnimatedImage {
            id: advert

            property bool hovered: false
            property var object

            source: "http://" + session.hostAndPort + String(object?.ImageUrl ?? "")

            MouseArea {
                anchors.fill: parent
                hoverEnabled: true
                onEntered: advert.hovered = true
                onExited: advert.hovered = false
                onCanceled: advert.hovered = false
                onClicked: session.openAdvert(advert.object?.JumpUrl)
            }

            // Follows the pointer only: a press elsewhere must not close it, which would
            // end the binding.
            Widgets.ToolTip {
                objectName: "advertTooltip"
                visible: advert.hovered
                closePolicy: Popup.NoAutoClose
                text: String(advert.object?.Title ?? "")
            }
        }
    }

    Item {
        anchors.fill: parent

        Image {
            id: background
            objectName: "background"
            anchors.fill: parent
            anchors.margins: 6
            source: "file:///" + qmlApi.getApplicationDir() + "/background/home.png"

            SwipeView {
                id: imageView
                objectName: "imageView"
                anchors.left: parent.left
                anchors.top: parent.top
                anchors.bottom: parent.bottom
                width: count > 0 ? background.width / 2 : 0
                clip: true
            }

            Item {
                id: loginArea
                anchors.left: imageView.right
                anchors.right: parent.right
                anchors.top: parent.top
                anchors.bottom: parent.bottom

                Row {
                    id: controlButtons
                    anchors.top: parent.top
                    anchors.topMargin: 8
                    anchors.right: parent.right
                    anchors.rightMargin: 8

                    Widgets.ImageButton {
                        id: minButton
                        objectName: "minButton"
                        width: 32
                        height: 32
                        normalImage: styleManager.style.image("Login-MinButton-Normal")
                        hoveredImage: styleManager.style.image("Login-MinButton-Hovered")
                        pressedImage: styleManager.style.image("Login-MinButton-Pressed")
                        onClicked: loginWindow.showMinimized()

                        Rectangle {
                            anchors.fill: parent
                            color: "white"
                            opacity: 0.15
                            visible: minButton.hovered || minButton.pressed
                        }

                        Widgets.ToolTip {
                            visible: minButton.hovered
                            closePolicy: Popup.NoAutoClose
                            text: qsTr("最小化")
                            font.pointSize: 9
                        }
                    }

                    Widgets.ImageButton {
                        id: closeButton
                        objectName: "closeButton"
                        width: 32
                        height: 32
                        normalImage: styleManager.style.image("Login-CloseButton-Normal")
                        hoveredImage: styleManager.style.image("Login-CloseButton-Hovered")
                        pressedImage: styleManager.style.image("Login-CloseButton-Pressed")
                        onClicked: loginWindow.quit()

                        Widgets.ToolTip {
                            visible: closeButton.hovered
                            closePolicy: Popup.NoAutoClose
                            text: qsTr("关闭")
                            font.pointSize: 9
                        }
                    }
                }

                Text {
                    id: title
                    objectName: "title"
                    anchors.top: parent.top
                    anchors.left: parent.left
                    anchors.right: parent.right
                    leftPadding: 50
                    rightPadding: 50
                    topPadding: 40
                    wrapMode: Text.WrapAnywhere
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    text: session.otherConfig.title
                    color: loginWindow.textColor
                    font.family: "微软雅黑"
                    font.pointSize: 20
                    font.letterSpacing: 2
                }

                Text {
                    id: copyright
                    objectName: "copyright"
                    anchors.bottom: parent.bottom
                    anchors.left: parent.left
                    anchors.right: parent.right
                    leftPadding: 50
                    rightPadding: 50
                    bottomPadding: 15
                    wrapMode: Text.WrapAnywhere
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    text: session.otherConfig.copyright
                    color: loginWindow.textColor
                    // The title font file is not shipped; its family name falls back to the
                    // bundled CJK font.
                    font.family: yousheFont.status === FontLoader.Ready ? yousheFont.name : "YouSheBiaoTiHei"
                    font.pointSize: 10
                    font.letterSpacing: 2
                }

                Rectangle {
                    id: formPanel
                    objectName: "formPanel"
                    anchors.top: title.bottom
                    anchors.topMargin: 40
                    anchors.bottom: copyright.top
                    anchors.bottomMargin: 30
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: 420
                    radius: 4
                    color: styleManager.style.color("Login-InputForm-Background")

                    Column {
                        id: inputColumn
                        objectName: "inputColumn"
                        anchors.verticalCenter: parent.verticalCenter
                        anchors.left: parent.left
                        anchors.leftMargin: 50
                        anchors.right: parent.right
                        anchors.rightMargin: 50
                        spacing: 22

                        FormField {
                            id: usernameEdit
                            objectName: "usernameEdit"
                            width: 320
                            text: session.settings.username
                            placeholderText: "请输入您的用户名"
                            icon: styleManager.style.image("Login-Username-Icon")
                            validator: credentialValidator
                        }

                        FormField {
                            id: passwordEdit
                            objectName: "passwordEdit"
                            width: 320
                            // Follows the stored password only while it is remembered; the
                            // remember box copies typed text there before it switches over.
                            text: session.settings.remember ? session.settings.password : ""
                            placeholderText: "请输入您的密码"
                            icon: styleManager.style.image("Login-Password-Icon")
                            validator: credentialValidator
                            echoMode: TextInput.Password
                            passwordCharacter: "●"
                            onTextChanged: {
                                if (remember.checked)
                                    session.settings.password = text;
                            }
                        }

                        Item {
                            id: captchaRow
                            objectName: "captchaRow"
                            width: 320
                            height: 45
                            visible: session.otherConfig.allowCaptcha

                            FormField {
                                id: vercodeEdit
                                objectName: "vercodeEdit"
                                width: 180
                                placeholderText: "请输入图形验证码"
                                icon: styleManager.style.image("Login-Verificationcode-Icon")
                                validator: RegularExpressionValidator { regularExpression: /[A-Za-z0-9]{0,4}/ }
                                maximumLength: 4
                                // Only while it is shown: typing meant for a field the click
                                // missed must not land in one the operator cannot see.
                                focus: captchaRow.visible
                                Keys.onReturnPressed: session.logIn()
                                Keys.onEnterPressed: session.logIn()
                            }

                            Rectangle {
                                anchors.left: vercodeEdit.right
                                anchors.leftMargin: 5
                                anchors.right: parent.right
                                anchors.top: parent.top
                                anchors.bottom: parent.bottom
                                color: "#ffffff"

                                Image {
                                    id: captchaImage
                                    objectName: "captchaImage"
                                    anchors.fill: parent
                                    cache: false
                                    source: captchaRow.visible ? session.captchaAddress : ""

                                    MouseArea {
                                        anchors.fill: parent
                                        onClicked: {
                                            captchaImage.source = "";
                                            captchaImage.source = Qt.binding(() => captchaRow.visible ? session.captchaAddress : "");
                                        }
                                    }
                                }
                            }
                        }

                        Item {
                            width: 320
                            height: 28

                            Widgets.CheckBox {
                                id: remember
                                objectName: "remember"
                                anchors.left: parent.left
                                width: 90
                                height: 28
                                text: "记住密码"
                                textColor: loginWindow.textColor
                                checked: session.settings.remember
                                // The typed password reaches the setting before the field
                                // starts to follow it, or the field would lose it.
                                onClicked: {
                                    session.settings.password = checked ? passwordEdit.text : "";
                                    session.settings.remember = checked;
                                }
                            }

                            Text {
                                id: forgetLink
                                objectName: "forgetLink"
                                readonly property string address: "https://" + session.hostAndPort
                                anchors.right: parent.right
                                anchors.verticalCenter: parent.verticalCenter
                                textFormat: Text.StyledText
                                text: qsTr("<a href=\"%1\">&nbsp;忘记密码?&nbsp;</a>").arg(address)
                                color: loginWindow.textColor
                                linkColor: loginWindow.textColor
                                font.family: "微软雅黑"
                                font.pointSize: 11
                                onLinkActivated: link => Qt.openUrlExternally(link)

                                HoverHandler {
                                    cursorShape: Qt.PointingHandCursor
                                }
                            }
                        }

                        Item {
                            width: 320
                            height: 42

                            FormButton {
                                id: loginButton
                                objectName: "loginButton"
                                x: visitorLoginButton.visible ? 0 : (parent.width - width) / 2
                                text: "点击登录"
                                focus: true
                                onClicked: session.logIn()

                                Widgets.ToolTip {
                                    id: loginTooltip
                                    objectName: "loginTooltip"
                                }
                            }

                            FormButton {
                                id: visitorLoginButton
                                objectName: "visitorLoginButton"
                                anchors.right: parent.right
                                text: "游客登录"
                                visible: session.otherConfig.demo
                                focus: true
                                onClicked: session.logInAsVisitor()

                                Widgets.ToolTip {
                                    id: visitorLoginTooltip
                                    objectName: "visitorLoginTooltip"
                                }
                            }
                        }
                    }
                }
            }
        }

        Glow {
            anchors.fill: background
            source: background
            radius: 8
            samples: 17
            color: "#80888888"
        }
    }

    // Shared look of the three input fields: an icon before the text.
    component FormField: Widgets.LineEdit {
        property alias icon: fieldIcon.source

        height: 45
        leftPadding: 40
        backgroundColor: styleManager.style.color("Login-Input-Background")
        placeholderTextColor: loginWindow.inputColor
        hoveredColor: loginWindow.textColor
        font.pointSize: 11

        Image {
            id: fieldIcon
            x: 10
            anchors.verticalCenter: parent.verticalCenter
            width: 20
            height: 20
        }
    }

    component FormButton: Widgets.ColorButton {
        width: 150
        height: 42
        radius: 5
        normalColor: styleManager.style.color("Login-LoginButton-Normal")
        hoveredColor: Qt.lighter(normalColor)
        pressedColor: Qt.darker(normalColor, 1.2)
        textColor: styleManager.style.color("Login-LoginButton-TextColor")
        font.family: "微软雅黑"
        font.pointSize: 11
    }

    // Printable ASCII without the space, and the middle dot.
    RegularExpressionValidator {
        id: credentialValidator
        regularExpression: /[\x21-\x7e·]*/
    }
}
