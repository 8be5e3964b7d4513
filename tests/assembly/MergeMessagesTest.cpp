#include "assembly/MergeMessages.h"

#include <gtest/gtest.h>

namespace {

TEST(MergeMessages, TextsOfEachOutcome) {
    TMergeResult done;
    done.count = 4;
    auto m = MergeOutcomeMessage(done);
    EXPECT_EQ(m.title, "4 replacements were made");
    EXPECT_EQ(m.kind, 'I');
    EXPECT_EQ(m.text.rfind("You now have at least TWO choices;1.   Print", 0), 0u);

    TMergeResult missing;
    missing.outcome = TMergeOutcome::MissingValue;
    missing.marker = "@7";
    m = MergeOutcomeMessage(missing);
    EXPECT_EQ(m.title, "Kelvora");
    EXPECT_EQ(m.kind, 'H');
    EXPECT_EQ(m.text, "Your TEMPLATE file contains a value;that is not in the INFORMATION file ; the value is @7;"
                      "Please use \"edit/ find\" to  correct the error ;and  re-save the template before proceeding");

    TMergeResult refused;
    refused.outcome = TMergeOutcome::OverwriteRefused;
    refused.marker = "@1";
    refused.value = "Mr J. Brown";
    m = MergeOutcomeMessage(refused);
    EXPECT_EQ(m.title, "");
    EXPECT_EQ(m.kind, 'H');
    EXPECT_EQ(m.text, " There is a problem here;The programme wants to insert Mr J. Brown;in place of @1 which will "
                      "overwrite a placemaker;Suggest you either  EDIT the INF file or set Overwrite FALSE.");

    for (auto outcome : {TMergeOutcome::MarkerJoined, TMergeOutcome::ValueRepeats}) {
        TMergeResult r;
        r.outcome = outcome;
        r.marker = "@9";
        m = MergeOutcomeMessage(r);
        EXPECT_EQ(m.kind, 'H');
        EXPECT_NE(m.text.find("@9"), std::string::npos);
    }
}

TEST(MergeMessages, CaptionsAndWarnings) {
    EXPECT_EQ(ProgressCaption(2), "2  replacements  ");
    EXPECT_EQ(NoTemplateMessage().text, "You have not chosen a Template file;Please do so");
    EXPECT_EQ(NoTemplateMessage().kind, '!');
    EXPECT_EQ(OddLinesMessage().text.substr(0, 34), " There is a problem with this file");
}

} // namespace
