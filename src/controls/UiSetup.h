#pragma once

class QApplication;

// Makes the whole interface Chinese: Qt's own Simplified Chinese texts for standard buttons
// and dialogs (确定, 取消 …), and installed CJK fonts standing in for "黑体" and "宋体".
namespace UiSetup {

void prepareApplication(QApplication& app);

// Before the application exists: Qt's own dialogs write dates and numbers as the Chinese
// locale does (a file dialog's "2026/12/8 20:05"), as Qt reads the system locale from the
// environment once. A locale the user set for everything (LC_ALL) is left alone.
void chooseChineseSystemLocale();

// The font families the program asks for and the installed fonts that stand in for them.
void registerFontSubstitutes();

} // namespace UiSetup
