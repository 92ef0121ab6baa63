#include "menubar/views/RunnerConfigView.h"

namespace gaugelet {

RunnerConfigView::RunnerConfigView(const QString& visualizerId, RunnerKind kind, QWidget* parent)
    : SizeSliderConfigView(visualizerId, Range{minimumSize, maximumSize, kind.defaultSize}, notificationPrefix, parent)
    , m_kind(std::move(kind))
{
    setToolTip(helpText());
}

QString RunnerConfigView::helpText()
{
    return tr("Sprite display size in points. Range %1-%2pt (= %3-%4px on HiDPI). Beyond ~22pt the sprite clips "
              "vertically against the panel.")
        .arg(int(minimumSize))
        .arg(int(maximumSize))
        .arg(int(minimumSize * 2))
        .arg(int(maximumSize * 2));
}

} // namespace gaugelet
