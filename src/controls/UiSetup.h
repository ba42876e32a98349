#pragma once

class QApplication;

// Makes the whole interface Chinese: Qt's own Simplified Chinese texts for standard buttons
// and dialogs (确定, 取消 …), and installed CJK fonts standing in for "黑体" and "宋体".
namespace UiSetup {

void prepareApplication(QApplication& app);

// The font families the program asks for and the installed fonts that stand in for them.
void registerFontSubstitutes();

} // namespace UiSetup
