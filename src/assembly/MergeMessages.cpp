#include "assembly/MergeMessages.h"

namespace {

TMergeMessage DoneMessage(int count) {
    return {std::to_string(count) + " replacements were made", 'I',
            "You now have at least TWO choices;"
            "1.   Print from this programme using appropriate menu items/buttons;"
            "     OR PREFERABLY;"
            "2.   Select all  this text (ctrl A); a.   Copy/cut it to the Windows clipboard ; "
            "b.   Paste it into your Word Procesing Programme"};
}

TMergeMessage MissingValueMessage(const std::string& marker) {
    return {"Kelvora", 'H',
            "Your TEMPLATE file contains a value;that is not in the INFORMATION file ; the value is " + marker +
                ";" + "Please use \"edit/ find\" to  correct the error ;" +
                "and  re-save the template before proceeding"};
}

TMergeMessage OverwriteRefusedMessage(const std::string& marker, const std::string& value) {
    return {"", 'H',
            " There is a problem here;The programme wants to insert " + value + ";" + "in place of " + marker +
                " which will overwrite a placemaker;" + "Suggest you either  EDIT the INF file or set Overwrite FALSE."};
}

TMergeMessage MarkerJoinedMessage(const std::string& marker) {
    return {"Kelvora", 'H',
            "Your TEMPLATE file contains the marker " + marker + ";"
            "joined to a capital letter, a digit or a special character;"
            "so it cannot be replaced. Please use \"edit/ find\" to separate it;"
            "and  re-save the template before proceeding"};
}

TMergeMessage ValueRepeatsMessage(const std::string& marker) {
    return {"Kelvora", 'H',
            "The INFORMATION file value for " + marker + ";"
            "brings back that marker itself, directly or through other values,;"
            "so the merge would never end;"
            "edit and save the INF file before proceeding"};
}

TMergeMessage TooLargeMessage(const std::string& marker) {
    return {"Kelvora", 'H',
            "The merged document would grow too large at " + marker + ";"
            "because values in the INFORMATION file multiply markers;"
            "edit and save the INF file before proceeding"};
}

} // namespace

TMergeMessage MergeOutcomeMessage(const TMergeResult& r) {
    switch (r.outcome) {
    case TMergeOutcome::Done: return DoneMessage(r.count);
    case TMergeOutcome::MissingValue: return MissingValueMessage(r.marker);
    case TMergeOutcome::OverwriteRefused: return OverwriteRefusedMessage(r.marker, r.value);
    case TMergeOutcome::MarkerJoined: return MarkerJoinedMessage(r.marker);
    case TMergeOutcome::ValueRepeats: return ValueRepeatsMessage(r.marker);
    case TMergeOutcome::TooLarge: return TooLargeMessage(r.marker);
    }
    return {};
}

std::string ProgressCaption(int count) { return std::to_string(count) + "  replacements  "; }

TMergeMessage NoTemplateMessage() {
    return {"Kelvora", '!', "You have not chosen a Template file;Please do so"};
}

TMergeMessage OddLinesMessage() {
    return {"", '!',
            " There is a problem with this file;There must be an even number of lines with;"
            "information appearing only on the even lines;edit and save it before proceeding."};
}
