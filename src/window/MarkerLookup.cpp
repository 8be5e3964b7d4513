// Pressing the left button on a marker's "@" shows that marker's heading from the
// information editor in a balloon.
#include "window/MainForm.h"

#include "dialogs/XBaloon.h"
#include "platform/Numbers.h"
#include "richedit/RichEdit98.h"
#include "text/TextFiles.h"

namespace {

bool EndsWithDigit(const std::string& s) { return !s.empty() && s.back() >= '0' && s.back() <= '9'; }

} // namespace

void TMainForm::RichEditEx1MouseDown(Qt::MouseButton button) {
    if (button != Qt::LeftButton) return;
    // The characters are read, not selected: a selection left behind would be replaced
    // by the next key the user types.
    const TRichEdit98* editor = RichEditEx1;
    const int start = editor->SelectionStart();
    const int textLength = editor->GetTextLen();
    std::string selected = editor->TextRange(start, start + 1);
    if (selected == "@") {
        // "@", its digits and the first character after them.
        int length = 1;
        do {
            if (start + length >= textLength) break;
            selected = editor->TextRange(start, start + ++length);
        } while (EndsWithDigit(selected));
    }
    const auto number = Platform::StrToInt32(TrimBlanks(RightChars(selected, long(selected.size()) - 1)));
    if (!number) return;
    if (RichEditEx2->Lines().Count() < 2) {
        XBaloon1->Color = QColor(255, 0, 0);
        XBaloon1->Font.setPointSize(11); // stays for later balloons
        XBaloon1->ShowBalloon("You have not chosen an information file@You need to complete this step@or there "
                              "will be nothing to merge");
        return;
    }
    XBaloon1->Color = QColor(255, 255, 0);
    const int64_t index = 2 * int64_t(*number) - 2;
    const bool inside = index >= 0 && index < RichEditEx2->Lines().Count();
    XBaloon1->ShowBalloon(inside ? RichEditEx2->WideLines().Get(static_cast<int>(index)) : QString());
}
