#pragma once

class QWidget;

// Names every control of a window for screen readers and for tools that drive the program
// as a user would: the accessible name is the control's caption, or the caption of its
// label (the label's buddy), or for an unlabelled box the field it shows (the dynamic
// property "fieldName"); the accessible description is the control's object name, such as
// "Command1(0)" or "DataGrid2". Names a window sets itself are kept.
namespace Accessibility {

void nameControls(QWidget* window);

} // namespace Accessibility
