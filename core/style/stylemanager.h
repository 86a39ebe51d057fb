#pragma once

#include <QObject>
#include <QScopedPointer>
#include <QSize>
#include <QString>

#include "screenmeasurement.h"

class FramelessWindow;
class Interface;
class QScreen;
class Style;
class StyleManagerPrivate;

// Display scaling, the style tables and the page switches, as one process-wide object the
// QML consults. The scaling is that of the primary screen until a window is followed
// (the main window), then that of the screen the window is on.
class StyleManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(Style *style READ style NOTIFY styleChanged)
    Q_PROPERTY(Interface *interface READ interface NOTIFY interfaceChanged)
    Q_PROPERTY(StyleType styleType READ styleType WRITE setStyleType NOTIFY styleTypeChanged)
    Q_PROPERTY(double scaleRatio READ scaleRatio NOTIFY scaleRatioChanged)
    Q_PROPERTY(double fontScaleRatio READ fontScaleRatio NOTIFY fontScaleRatioChanged)
    // The main window's size at the scale ratio (the design size times the ratio).
    Q_PROPERTY(QSize mainWindowSize READ mainWindowSize NOTIFY scaleRatioChanged)
    Q_PROPERTY(StyleMode styleMode READ styleMode WRITE setStyleMode NOTIFY styleModeChanged)

public:
    enum StyleType { Style_Default = 1, Style_720P, Style_1080P, Style_2k, Style_4k, Style_8k };
    Q_ENUM(StyleType)
    enum StyleMode { ARMode = 1, ClassicMode };
    Q_ENUM(StyleMode)

    static StyleManager *instance();

    // Tests give their own screen and page-switch file.
    StyleManager(ScreenProbe probe, const QString &uiConfigPath, QObject *parent = nullptr);
    ~StyleManager() override;

    // The screen class of an unscaled screen of this many pixels.
    static StyleType classify(const QSize &pixelSize);
    // The class of a measured screen, taken from its size as the toolkit presents it.
    static StyleType classifyScreen(const ScreenMeasurement &screen);
    static QSize logicalSize(const ScreenMeasurement &screen);
    static double classFactor(int styleType);
    static double scaleRatioFor(int styleType, qreal logicalDpi);
    // The main window is laid out for this size times the scale ratio.
    static constexpr QSize mainWindowDesignSize() { return QSize(1688, 950); }
    // `ratio`, or less where the main window at `ratio` would not fit an area of
    // `available` logical pixels; an empty area bounds nothing.
    static double ratioFittingArea(double ratio, const QSize &available);

    Style *style() const;
    Interface *interface() const;
    StyleType styleType() const;
    void setStyleType(StyleType type);
    double scaleRatio() const;
    double fontScaleRatio() const;
    QSize mainWindowSize() const;
    // The main window's size were it laid out for `screen`.
    QSize mainWindowSizeOn(QScreen *screen) const;
    // The scale ratio of `screen` (that of the followed screen when null): a window of its
    // own on another screen than the main window is laid out for its own.
    Q_INVOKABLE double scaleRatioOn(QScreen *screen) const;
    StyleMode styleMode() const;
    void setStyleMode(StyleMode mode);

    Q_INVOKABLE void loadStyleFile(const QString &filename);
    // Lays the pages out for the screen `window` is on, from now on and wherever it goes.
    Q_INVOKABLE void followWindow(FramelessWindow *window);
    // The screen whose class and area decide the ratios.
    QScreen *screen() const;
    void calcResolution();

signals:
    void styleChanged();
    void interfaceChanged();
    void styleTypeChanged();
    void scaleRatioChanged();
    void fontScaleRatioChanged();
    void styleModeChanged();

private:
    void storeStyleType(StyleType type);
    void announceRatios();
    void announceRatiosIfChanged();
    void followScreen(QScreen *screen);
    void followWindowScreen();
    ScreenMeasurement measure(bool withPixelSize) const;
    static QSize mainWindowSizeAt(double ratio);

    QScopedPointer<StyleManagerPrivate> d;
};
