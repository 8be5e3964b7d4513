// Destinations: the words that say what a group holds, and which groups are kept as
// source or skipped.
#include "rtf/RtfParser.h"

#include <algorithm>

namespace RtfEngine::Reading {

// Whether the word is the first of its group ("{\\word" or "{\\*\\word"): only then is the
// group's source the destination alone.
bool RtfParser::OpensItsGroup(std::string_view word) const
{
    const std::size_t at = std::size_t(word.data() - FInput.data()) - 1; // its backslash
    const std::size_t start = FGroups.back().start;
    std::string_view before = FInput.substr(start + 1, at - start - 1);
    const auto trim = [&before] {
        while (!before.empty() && (before.front() == '\r' || before.front() == '\n'))
            before.remove_prefix(1);
    };
    trim();
    if (before.substr(0, 2) == "\\*") {
        before.remove_prefix(2);
        trim();
    }
    return before.empty();
}

bool RtfParser::OnDestinationWord(std::string_view w)
{
    Group& g = Top();
    if (g.dest == Dest::Skip)
        return true;
    struct KeptDestination { std::string_view word; Keep kind; };
    static const KeptDestination kKept[] = {
        {"stylesheet", Keep::Stylesheet}, {"info", Keep::Info}, {"footnote", Keep::Footnote},
        {"header", Keep::Format}, {"headerl", Keep::Format}, {"headerr", Keep::Format},
        {"headerf", Keep::Format}, {"footer", Keep::Format}, {"footerl", Keep::Format},
        {"footerr", Keep::Format}, {"footerf", Keep::Format}, {"pgdsctbl", Keep::Format},
        {"ftnsep", Keep::Format}, {"ftnsepc", Keep::Format}, {"aftnsep", Keep::Format},
        {"aftnsepc", Keep::Format}, {"ftncn", Keep::Format}, {"aftncn", Keep::Format},
        {"pnseclvl", Keep::Format}, {"bkmkstart", Keep::BookmarkStart}, {"bkmkend", Keep::BookmarkEnd}};
    for (const KeptDestination& kept : kKept) {
        if (w == kept.word) {
            // A document part inside a field goes with the field's source, which may be
            // kept whole; notes and bookmarks stand in the text, so the field is not.
            const bool part = kept.kind == Keep::Format || kept.kind == Keep::Stylesheet || kept.kind == Keep::Info;
            if (g.dest == Dest::Body && FGroups.size() > 1 && OpensItsGroup(w) && !(part && !FFields.empty()))
                BeginKeep(kept.kind);
            else
                BeginSkip();
            return true;
        }
    }
    if (w == "nesttableprops") { g.nestProps = true; return true; }
    if (w == "upr") { g.ansiTwinNext = true; return true; }
    if (w == "ud") return true; // read as the body it is
    static const std::string_view kSkipped[] = {
        "nonesttables", "annotation", "pntext", "listtext", "xe", "tc", "txe",
        "rxe", "nonshppict", "shprslt", "levelnumbers", "listname", "objdata", "objclass",
        "objname", "private", "filetbl", "revtbl", "rsidtbl", "generator", "template",
        "comment", "author", "title", "subject", "keywords", "doccomm", "operator", "buptim",
        "creatim", "revtim", "printim", "fldtype", "datafield",
        "themedata", "colorschememapping", "latentstyles", "datastore", "xmlnstbl",
        "mmathPr", "userprops", "picprop", "blipuid", "do", "atnid", "atnauthor", "atrfstart", "atrfend",
        "passwordhash", "protusertbl", "wgrffmtfilter", "fchars", "lchars"};
    for (std::string_view name : kSkipped) {
        if (w == name) {
            BeginSkip();
            return true;
        }
    }
    static const std::string_view kTables[] = {"fonttbl", "colortbl", "listtable", "listoverridetable"};
    if (std::find(std::begin(kTables), std::end(kTables), w) != std::end(kTables)) {
        if (g.dest != Dest::Body || !OpensItsGroup(w) || !FFields.empty()) {
            // Its source is kept whole: it must be a group of its own in the body, and the
            // table around it is not kept either, as the writer could not tell them apart.
            // Inside a field it goes with the field's source, which may be kept whole.
            FTableHoldsTable = g.dest != Dest::Body;
            BeginSkip();
            return true;
        }
        FTableHoldsTable = false;
    }
    if (w == "fonttbl") {
        g.dest = Dest::FontTable;
        FCurrentFont = -1;
        FTableFonts.clear();
        return true;
    }
    if (w == "colortbl") {
        g.dest = Dest::ColorTable;
        FRed = FGreen = FBlue = -1;
        FColours.clear(); // a table replaces the one before
        FMadeFormats.clear();
        FMadeBlock.reset();
        return true;
    }
    if (w == "field") {
        const bool inBody = g.dest == Dest::Body && FGroups.size() > 1 && OpensItsGroup(w);
        FFields.push_back({FGroups.size(), {}, g.start, inBody, false, FContent, FDocument.kept.format.size(),
                           FSectionSource.size(), FRowDef, FNestRowDef});
        return true;
    }
    if (w == "fldinst") {
        if (FFields.empty()) FFields.push_back({FGroups.size(), {}});
        g.dest = Dest::FieldInst;
        return true;
    }
    if (w == "fldrslt") {
        OnFieldResult(g, w);
        return true; // the result is read where the field stands: in the body, or not at all
    }
    if (w == "pict") {
        if (g.dest == Dest::Body || g.dest == Dest::ShapeInst) {
            g.dest = Dest::Pict;
            FPicture = {};
        } else {
            BeginSkip();
        }
        return true;
    }
    if (w == "shppict") return true; // the picture inside is read; its twin \nonshppict is skipped
    if (w == "shpinst") {
        g.dest = Dest::ShapeInst;
        std::fill(std::begin(FShapeBox), std::end(FShapeBox), 0);
        return true;
    }
    if (g.dest == Dest::ShapeInst || g.dest == Dest::ShapeProp) {
        if (w == "sp") { g.dest = Dest::ShapeProp; FShapePropName.clear(); return true; }
        if (w == "sn") { g.dest = Dest::ShapePropName; FShapePropName.clear(); return true; }
        if (w == "sv") {
            if (FShapePropName.trimmed() == "pib") g.dest = Dest::ShapeInst;
            else BeginSkip();
            return true;
        }
    }
    if (w == "object") {
        if (g.dest == Dest::Body) g.dest = Dest::Object;
        else BeginSkip();
        return true;
    }
    if (w == "result") { if (g.dest == Dest::Object) g.dest = Dest::Body; return true; }
    if (w == "listtable" || w == "listoverridetable") {
        g.dest = w == "listtable" ? Dest::ListTable : Dest::ListOverrideTable;
        FListTableRead = {};
        return true;
    }
    if (g.dest == Dest::ListTable && w == "list") {
        g.dest = Dest::List;
        FListTableRead.lists.emplace_back();
        return true;
    }
    if (g.dest == Dest::List && w == "listlevel") {
        g.dest = Dest::ListLevel;
        if (!FListTableRead.lists.empty()) FListTableRead.lists.back().levels.emplace_back();
        return true;
    }
    if (g.dest == Dest::ListLevel && w == "leveltext") { g.dest = Dest::LevelText; return true; }
    if (g.dest == Dest::ListOverrideTable && w == "listoverride") {
        g.dest = Dest::ListOverride;
        FOverrideListId = 0;
        return true;
    }
    if (w == "pn" && g.dest == Dest::Body) {
        g.dest = Dest::PnDef;
        FPnScratch = {};
        FPnScratch.active = true;
        return true;
    }
    if (g.dest == Dest::PnDef && (w == "pntxtb" || w == "pntxta")) {
        g.dest = w == "pntxtb" ? Dest::PnTextBefore : Dest::PnTextAfter;
        return true;
    }
    return false;
}

} // namespace RtfEngine::Reading
