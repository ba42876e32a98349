#pragma once

#include <QStringList>

class QPushButton;
class QWidget;

// The keys every window understands, each pressing the window's own button so it does
// exactly what a click does (asking first where the button asks): Esc "返回", Ctrl+S
// "保存", Ctrl+F "查寻", Ctrl+P "打印", Ctrl+N "添加"/"创建", Delete in a grid the "删除"
// under that grid,
// Ctrl+PgUp/Ctrl+PgDn the record navigation buttons "<" and ">". Enter presses the
// focused button, or else the window's default button.
namespace WindowKeys {

// Adds the shortcuts to a window (once, when it is first shown).
void install(QWidget* window);

// The shown, enabled button of the window captioned with the first of `captions` that
// has one (an "&" of the caption ignored). When several share the caption, the first one
// below the widget with the focus (the navigation row under a grid), else the first.
QPushButton* buttonFor(QWidget* window, const QStringList& captions);

// The shown, enabled button captioned `caption` nearest under `widget` (and not beside it);
// nullptr when there is none.
QPushButton* buttonUnder(QWidget* window, const QWidget* widget, const QString& caption);

// Presses that button; false when there is none.
bool press(QWidget* window, const QStringList& captions);

// Esc reached the window itself (no box or grid editor took it): presses "返回".
bool pressForEscape(QWidget* window);

// Enter reached the window itself: presses the focused button or the default button.
bool pressForEnter(QWidget* window);

} // namespace WindowKeys
