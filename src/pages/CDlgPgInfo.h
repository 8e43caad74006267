#pragma once

#include <QLabel>
#include <array>
#include <cstddef>
#include <string_view>

#include "pages/CDlgPgBase.h"

// The "General" page: the driver's release and interface versions and its build kind.
class CDlgPgInfo : public CDlgPgBase {
    Q_OBJECT
public:
    explicit CDlgPgInfo(PageContext& context, QWidget* parent = nullptr);

    // Rebuilds the text from the published version; with keepBuildText the build line keeps
    // whatever the last version read left (empty after a failed read).
    void Refresh(bool keepBuildText);
    void Refresh() override { Refresh(false); }

    // The text as formatted, tabs included.
    std::string_view InfoText() const { return {infoText_.data(), infoLength_}; }

private:
    void ShowText();

    QLabel* label_;
    std::array<char, 512> infoText_{};
    std::size_t infoLength_ = 0;
};
