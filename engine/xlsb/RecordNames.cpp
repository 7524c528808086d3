#include "engine/xlsb/Records.h"

namespace engine::xlsb::rec {

const char* name(std::uint16_t type) {
    switch (type) {
    case RowHdr:
        return "BrtRowHdr record";
    case CellBlank:
        return "BrtCellBlank record";
    case CellRk:
        return "BrtCellRk record";
    case CellError:
        return "BrtCellError record";
    case CellBool:
        return "BrtCellBool record";
    case CellReal:
        return "BrtCellReal record";
    case CellSt:
        return "BrtCellSt record";
    case CellIsst:
        return "BrtCellIsst record";
    case FmlaString:
        return "BrtFmlaString record";
    case FmlaNum:
        return "BrtFmlaNum record";
    case FmlaBool:
        return "BrtFmlaBool record";
    case FmlaError:
        return "BrtFmlaError record";
    case CellRString:
        return "BrtCellRString record";
    case SstItem:
        return "BrtSSTItem record";
    case Font:
        return "BrtFont record";
    case Fmt:
        return "BrtFmt record";
    case Fill:
        return "BrtFill record";
    case Border:
        return "BrtBorder record";
    case Xf:
        return "BrtXF record";
    case IndexedColor:
        return "BrtIndexedColor record";
    case WbProp:
        return "BrtWbProp record";
    case BundleSh:
        return "BrtBundleSh record";
    case BeginWsView:
        return "BrtBeginWsView record";
    case MergeCell:
        return "BrtMergeCell record";
    case ColInfo:
        return "BrtColInfo record";
    case WsFmtInfo:
        return "BrtWsFmtInfo record";
    case HLink:
        return "BrtHLink record";
    case CommentAuthor:
        return "BrtCommentAuthor record";
    case BeginComment:
        return "BrtBeginComment record";
    case CommentText:
        return "BrtCommentText record";
    case Drawing:
        return "BrtDrawing record";
    case BeginList:
        return "BrtBeginList record";
    case BeginListCol:
        return "BrtBeginListCol record";
    default:
        return "record";
    }
}

} // namespace engine::xlsb::rec
