#include "mining/ResultTable.h"

#include "text/CodePage.h"

namespace sowmere::mining {
namespace {

std::vector<ui::Column> resultColumns() {
    using text::utf8ToLocal;
    return {
        {utf8ToLocal(" 编号"), 45, ui::Align::Left},
        {utf8ToLocal("来源"), 100, ui::Align::Centre},
        {utf8ToLocal("关键词"), 120, ui::Align::Centre},
        {utf8ToLocal("收录"), 80, ui::Align::Centre},
        {utf8ToLocal("违禁"), 50, ui::Align::Centre},
    };
}

}  // namespace

ResultTable::ResultTable(ui::Window& window)
    : m_list(window, {200, 16, 400, 400}, resultColumns(), "resultTable") {}

}  // namespace sowmere::mining
