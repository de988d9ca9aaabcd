#pragma once
// What the Qt views share: colours and fonts as Windows gives them, dialog units mapped from
// the dialog font as Windows maps them, the pictures of the resource file, dragging a
// captionless window by its background, and keeping Enter and Escape from a window.
#include "ui/ImageButtonFace.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>

class QFrame;
class QWidget;

QColor toQColor(Rgb color);

// A font of that face and point size, sized in pixels as Windows sizes it on a 96 dpi screen
// (8 points: 11 pixels), so windows laid out in dialog units keep their proportions.
QFont windowsPointFont(const char* face, int points);
// A font whose character cell (ascent + descent) is `cellHeight` pixels, as a positive
// LOGFONT height asks for.
QFont windowsCellFont(const char* face, int cellHeight);

// Dialog units of a dialog font: x units are a quarter of the average letter width, y units an
// eighth of the character height (GetDialogBaseUnits for that font).
class DialogUnits {
  public:
    explicit DialogUnits(const QFont& dialogFont);
    int x(int units) const;
    int y(int units) const;
    QRect rect(int x, int y, int width, int height) const;

  private:
    int baseX_;
    int baseY_;
};

// Registers the pictures compiled into the program (the resource file lives in a static
// library, whose registration the linker would otherwise drop). Call once after the
// application object exists.
void initQtResources();

// A picture of the resource file by its resource id (null when there is none).
QPixmap resourceBitmap(int bitmapId);
// The program's icon (resource 128).
QIcon programIcon();

// A group frame without a title, transparent to the mouse (a click on it drags the window).
QFrame* groupFrame(QWidget* parent, const QRect& geometry);
// Shrinks a control that the template lets run through the lines of the group frame around it
// (the model list reaches below its frame's bottom line), keeping one pixel clear of them.
void fitInsideGroupFrame(QWidget& control, const QFrame& frame);

// Fills a captionless window white with a one-pixel black frame on its edge.
void paintFramedBackground(QWidget& window);

// Message box with one OK button; without an owner it stands on its own.
void showMessageBox(QWidget* owner, const QString& caption, const QString& text);

// Moves a captionless window while the left button is held down on its background: through
// the window manager where it offers that, else by following the mouse.
class BackgroundDrag : public QObject {
  public:
    explicit BackgroundDrag(QWidget* window);
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
    bool dragging_ = false;
    QPoint grabOffset_;
};

// Swallows Enter and Escape key presses meant for `window` or any of its controls, before the
// controls or the dialog see them. Lives as long as the filter object (installed on the
// application).
class EnterEscapeSwallower : public QObject {
  public:
    explicit EnterEscapeSwallower(QWidget* window);
    ~EnterEscapeSwallower() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
};
