#include "pages/CDlgPgInfo.h"

#include <QString>
#include <algorithm>

#include "base/NodeCode.h"
#include "controls/DialogUnits.h"
#include "res/StringTable.h"
#include "rows/PageDescription.h"

CDlgPgInfo::CDlgPgInfo(PageContext& context, QWidget* parent)
    : CDlgPgBase("infoPage", context, parent), label_(new QLabel(this)) {
    const DialogUnits du(font());
    resize(du.X(302), du.Y(292));
    label_->setObjectName("infoText");
    label_->setGeometry(du.Rect(26, 37, 260, 177));
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label_->setTextFormat(Qt::RichText);
}

void CDlgPgInfo::Refresh(bool keepBuildText) {
    PublishedDriverVersion& v = ctx_.dev.Published();
    // A tick whose version request failed knows no version, nor a release build of V0.00.0.
    const bool unread = !keepBuildText && !ctx_.dev.Validity().driverVersion;
    if (!keepBuildText) v.BuildText = unread ? "" : BuildTextOf(v);

    std::array<char, 512> text{};
    std::size_t length = 0;
    auto append = [&](std::string_view part) {
        const std::size_t n = std::min(part.size(), text.size() - 1 - length);
        std::copy_n(part.data(), n, text.data() + length);
        length += n;
    };
    append(Str::InfoHeading);
    const PageDescription& page = *PageOf(NodeKind_Info);
    std::array<char, 32> value{};
    for (std::size_t r = 0; r < RowCount(page); ++r) {
        append(RowName(page, r));
        append(":\t");
        append({value.data(), InfoValue(v, !unread, v.BuildText.substr(0, value.size() - 1), r, value)});
        append("\n");
    }
    append("\n");
    // Every tick writes the same text as the one before almost always: leave the label alone then.
    if (length == infoLength_ && std::equal(text.begin(), text.begin() + length, infoText_.begin()) &&
        !label_->text().isEmpty())
        return;
    infoText_ = text;
    infoLength_ = length;
    ShowText();
}

// A label does not expand tabs, so each "name\tvalue" line becomes a table row whose values
// line up in the second column.
void CDlgPgInfo::ShowText() {
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"0\">");
    std::string_view rest = InfoText();
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        const std::size_t tab = line.find('\t');
        auto cell = [](std::string_view s) {
            QString t = QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())).toHtmlEscaped();
            return t.isEmpty() ? QStringLiteral("&nbsp;") : t;
        };
        if (tab == std::string_view::npos)
            html += QStringLiteral("<tr><td colspan=\"2\">") + cell(line) + QStringLiteral("</td></tr>");
        else
            html += QStringLiteral("<tr><td>") + cell(line.substr(0, tab)) +
                    QStringLiteral("</td><td style=\"padding-left:12px\">") + cell(line.substr(tab + 1)) +
                    QStringLiteral("</td></tr>");
    }
    html += QStringLiteral("</table>");
    label_->setText(html);
}
