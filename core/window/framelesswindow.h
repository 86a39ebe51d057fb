#pragma once

#include <QQmlParserStatus>
#include <QQuickWindow>
#include <QScreen>
#include <QRectF>
#include <QScopedPointer>

#include <optional>

class FramelessWindowPrivate;
class SystemDrag;
class WindowScreen;

// Top-level Qt Quick window without the system frame: it drags from its caption
// area, resizes from 6-pixel edge bands, can follow another window's stay-on-top
// state and has a full-screen mode of its own.
class FramelessWindow : public QQuickWindow, public QQmlParserStatus
{
    Q_OBJECT
    Q_INTERFACES(QQmlParserStatus)
    // Redeclared: the base property is revisioned away from this module's version.
    Q_PROPERTY(qreal opacity READ opacity WRITE setOpacity NOTIFY opacityChanged)
    // Redeclared: while QML builds the window, showing waits for the other properties
    // (a transparent colour can only reach the surface before the platform window exists).
    Q_PROPERTY(bool visible READ isVisible WRITE setVisible NOTIFY visibleChanged)
    Q_PROPERTY(bool resizable READ resizable WRITE setResizable NOTIFY resizableChanged)
    Q_PROPERTY(bool movable READ movable WRITE setMovable NOTIFY movableChanged)
    Q_PROPERTY(bool visiblable READ visiblable WRITE setVisiblable NOTIFY visiblableChanged)
    Q_PROPERTY(bool topHint READ topHint WRITE setTopHint NOTIFY topHintChanged)
    Q_PROPERTY(bool taskbarHint READ taskbarHint WRITE setTaskbarHint NOTIFY taskbarHintChanged)
    Q_PROPERTY(int captionWidth READ captionWidth WRITE setCaptionWidth NOTIFY captionWidthChanged)
    Q_PROPERTY(int captionHeight READ captionHeight WRITE setCaptionHeight NOTIFY captionHeightChanged)
    Q_PROPERTY(QRectF captionArea READ captionArea WRITE setCaptionArea NOTIFY captionAreaChanged)
    Q_PROPERTY(FramelessWindow *topWindow READ topWindow WRITE setTopWindow NOTIFY topWindowChanged)
    // The available area of the screen the window is on (where its centre lies).
    Q_PROPERTY(QRect availableArea READ availableArea NOTIFY availableAreaChanged)
    // That screen; null only while the desk has no screen.
    Q_PROPERTY(QScreen *onScreen READ onScreen NOTIFY onScreenChanged)
    // For a window laid out for its screen (the main window): its size and minimum, set in
    // one step. A new layout size, and any move, keeps the window inside the available
    // area of the screen it is laid out for. Empty (the default): the window is sized and
    // placed as any other.
    Q_PROPERTY(QSize layoutSize READ layoutSize WRITE setLayoutSize NOTIFY layoutSizeChanged)
    // The largest multisample count the window's renderer supports (for item layers): 1
    // until its scene graph runs, and with the software renderer.
    Q_PROPERTY(int maxSamples READ maxSamples NOTIFY maxSamplesChanged)
    // What shows where the window has not drawn yet (the part a resize gained, until the
    // first frame at the new size): transparent (the default) leaves it to the platform.
    Q_PROPERTY(QColor placeholderColor READ placeholderColor WRITE setPlaceholderColor NOTIFY placeholderColorChanged)

public:
    explicit FramelessWindow(QWindow *parent = nullptr);
    ~FramelessWindow() override;

    bool resizable() const;
    void setResizable(bool resizable);
    bool movable() const;
    void setMovable(bool movable);
    bool visiblable() const;
    void setVisiblable(bool visiblable);
    bool topHint() const;
    void setTopHint(bool topHint);
    bool taskbarHint() const;
    void setTaskbarHint(bool taskbarHint);
    int captionWidth() const;
    void setCaptionWidth(int width);
    int captionHeight() const;
    void setCaptionHeight(int height);
    QRectF captionArea() const;
    void setCaptionArea(const QRectF &area);
    FramelessWindow *topWindow() const;
    void setTopWindow(FramelessWindow *window);
    QRect availableArea() const;
    QScreen *onScreen() const;
    QSize layoutSize() const;
    void setLayoutSize(const QSize &size);
    int maxSamples() const;
    QColor placeholderColor() const;
    void setPlaceholderColor(const QColor &colour);
    // The screen the window is on, as it follows moves and changes of the desk.
    WindowScreen *windowScreen() const;
    // The window manager's move or resize that a press on the caption or an edge started.
    SystemDrag *systemDrag() const;

    // Hides QWindow::setVisible for QML and for callers of this class.
    void setVisible(bool visible);

    Q_INVOKABLE void displayFullScreen();
    Q_INVOKABLE void displayNormal();
    Q_INVOKABLE void activeWindow();
    // Whether the window's centre lies on any screen (a place kept from a screen that is
    // gone lies on none).
    Q_INVOKABLE bool isOnAScreen() const;
    // Centred in the available area of its screen, in one step.
    Q_INVOKABLE void centreInAvailableArea();
    // On the screen `owner` is on now and inside its available area, in one step: where the
    // window was when `keepPlace` and that place lies on the owner's screen, otherwise
    // centred on the owner. A window laid out for its screen is laid out for the owner's
    // before it is placed.
    Q_INVOKABLE void placeOver(FramelessWindow *owner, bool keepPlace);

signals:
    void placeholderColorChanged();
    void opacityChanged();
    void visibleChanged();
    void resizableChanged();
    void movableChanged();
    void visiblableChanged();
    void topHintChanged();
    void taskbarHintChanged();
    void captionWidthChanged();
    void captionHeightChanged();
    void captionAreaChanged();
    void topWindowChanged();
    void availableAreaChanged();
    void onScreenChanged();
    void layoutSizeChanged();
    void maxSamplesChanged();
    void focusIn();
    void focusOut();
    void closing();

protected:
    void classBegin() override;
    void componentComplete() override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;

    // The window manager's own move and resize, from the press at `pressPosition` (the
    // window's logical pixels); tests record these calls because headless platforms refuse
    // them.
    virtual bool beginSystemMove(const QPoint &pressPosition);
    virtual bool beginSystemResize(Qt::Edges edges, const QPoint &pressPosition);

private:
    void startSystemDrag(bool resizing);
    void endSystemDrag(bool resized);
    void rebuildCaptionArea(const QPoint &topLeft);
    void applyWindowType();
    void coverScreen();
    void keepOnItsScreen();
    void keepWithinMaximumSize();
    void keepLaidOutInside();
    void applyGeometry(const QRect &geometry);
    void readMaxSamples();
    QSize laidOutSize() const;
    QRect placeOverOwner(const FramelessWindow *owner, const std::optional<QPoint> &kept) const;

    QScopedPointer<FramelessWindowPrivate> d;
};
