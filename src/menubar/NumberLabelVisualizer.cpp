#include "menubar/NumberLabelVisualizer.h"

#include "menubar/NumberLabelConfigView.h"
#include "menubar/RenderHasher.h"
#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "stats/Color.h"
#include "stats/Prefs.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace gaugelet {

namespace {

const QString kId = QStringLiteral("viz.numberLabel");
const QString kStatBgEnabled = QStringLiteral("global.statBgEnabled");
const QString kStatBgHex = QStringLiteral("global.statBgHex");

QString sizeKey(const QString& id) { return QStringLiteral("visualizer.") + id + QStringLiteral(".size"); }

double tileWidth(double s, NumberLabelVisualizer::Shape shape)
{
    return std::ceil(s * (shape == NumberLabelVisualizer::Shape::single ? 1.78 : 2.8));
}

// Line box of a font: ascent plus descent, without the leading.
double lineHeight(const QFontMetricsF& fm) { return fm.ascent() + fm.descent(); }

class NumberLabelTileView : public TileView {
public:
    NumberLabelVisualizer::Shape shape = NumberLabelVisualizer::Shape::single;
    double s = NumberLabelVisualizer::defaultSize;
    Theme theme = Theme::light;
    QString label;
    QString badge;
    std::optional<QColor> background;
    QString downLine;
    QString upLine;

    QSizeF size() const override { return { tileWidth(s, shape), s }; }

    void paint(QPainter& painter) const override
    {
        const bool dark = theme == Theme::dark;
        const QColor text = dark ? QColor::fromRgbF(1, 1, 1, 0.95f) : QColor::fromRgbF(0, 0, 0, 0.85f);
        const double W = tileWidth(s, shape);
        const double h = std::max(s - 2, 6.0);
        // The inner frame sits between two clear 1 pt strips, centred in s.
        const double innerTop = (s - (h + 2)) / 2 + 1;
        if (shape == NumberLabelVisualizer::Shape::single)
            paintSingle(painter, text, W, h, innerTop);
        else
            paintDirectional(painter, text, h, innerTop);
    }

private:
    void paintSingle(QPainter& painter, const QColor& text, double W, double h, double innerTop) const
    {
        const double f = std::max(h * 0.56, 9.0);
        const QFont valueFont = TileView::monospacedFont(f, QFont::DemiBold);
        const QFont badgeFont = TileView::monospacedFont(std::max(f * 0.8, 7.0), QFont::ExtraBold);
        const QFontMetricsF valueMetrics(valueFont, painter.device());
        const QFontMetricsF badgeMetrics(badgeFont, painter.device());

        const double capsuleHeight = std::max((f + 4) * 0.85, 12.0);
        const double layeredHeight = std::max(lineHeight(valueMetrics), capsuleHeight);
        const double badgeHeight = badge.isEmpty() ? 0 : lineHeight(badgeMetrics);
        const double stackTop = innerTop + (h - (badgeHeight + layeredHeight)) / 2;

        if (!badge.isEmpty()) {
            QColor badgeColor = text;
            badgeColor.setAlphaF(text.alphaF() * 0.8f);
            painter.setFont(badgeFont);
            painter.setPen(badgeColor);
            const double x = (W - badgeMetrics.horizontalAdvance(badge)) / 2;
            painter.drawText(QPointF(x, stackTop + badgeMetrics.ascent()), badge);
        }

        const double layeredMid = stackTop + badgeHeight + layeredHeight / 2;
        if (background) {
            const QRectF capsule(0, layeredMid - capsuleHeight / 2, W, capsuleHeight);
            QPainterPath path;
            path.addRoundedRect(capsule, capsuleHeight / 2, capsuleHeight / 2);
            painter.fillPath(path, *background);
        }
        painter.setFont(valueFont);
        painter.setPen(text);
        const double x = (W - valueMetrics.horizontalAdvance(label)) / 2;
        const double baseline = layeredMid - lineHeight(valueMetrics) / 2 + valueMetrics.ascent();
        painter.drawText(QPointF(x, baseline), label);
    }

    void paintDirectional(QPainter& painter, const QColor& text, double h, double innerTop) const
    {
        const double d = std::max((h - 1) * 0.5, 5.0);
        const QFont font = TileView::monospacedFont(d, QFont::Medium);
        const QFontMetricsF metrics(font, painter.device());
        const double line = lineHeight(metrics);
        const double top = innerTop + (h - (2 * line + 1)) / 2;
        painter.setFont(font);
        painter.setPen(text);
        painter.drawText(QPointF(0, top + metrics.ascent()), downLine);
        painter.drawText(QPointF(0, top + line + 1 + metrics.ascent()), upLine);
    }
};

const Series* findSeries(const StatSnapshot& snapshot, QStringView id)
{
    for (const Series& series : snapshot.breakdown) {
        if (series.id == id)
            return &series;
    }
    return nullptr;
}

} // namespace

NumberLabelVisualizer::NumberLabelVisualizer()
    : m_observerContext(std::make_unique<QObject>())
{
    GAUGELET_ASSERT_MAIN_THREAD();
    Defaults::standard()->registerDefaults({ { sizeKey(kId), defaultSize } });
    reloadSize();
    QObject* context = m_observerContext.get();
    m_defaultsObserver = NotificationCenter::defaultCenter().observe(
        QStringLiteral("number.size.changed.") + kId, context,
        [this, context](const NotificationCenter::Notification&) {
            // The context dies with this object, so a queued reload is dropped then.
            if (isMainThread())
                reloadSize();
            else
                QMetaObject::invokeMethod(context, [this] { reloadSize(); }, Qt::QueuedConnection);
        });
}

NumberLabelVisualizer::~NumberLabelVisualizer()
{
    NotificationCenter::defaultCenter().removeObserver(m_defaultsObserver);
}

QString NumberLabelVisualizer::id() const { return kId; }

QString NumberLabelVisualizer::displayName() const
{
    return QCoreApplication::translate("NumberLabelVisualizer", "Number");
}

QString NumberLabelVisualizer::chipLabel() const { return QStringLiteral("%"); }

QSizeF NumberLabelVisualizer::size() const
{
    return { tileWidth(m_cachedSize, m_lastShape), m_cachedSize };
}

void NumberLabelVisualizer::reloadSize()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_cachedSize = storedSize(kId);
}

double NumberLabelVisualizer::storedSize(const QString& visualizerId)
{
    return std::clamp(Prefs::doubleValue(sizeKey(visualizerId), defaultSize), minimumSize, maximumSize);
}

NumberLabelVisualizer::Shape NumberLabelVisualizer::shapeOf(const StatSnapshot& snapshot)
{
    if (snapshot.breakdown.size() != 2)
        return Shape::single;
    const bool hasUp = findSeries(snapshot, u"up") != nullptr;
    const bool hasDown = findSeries(snapshot, u"down") != nullptr;
    return hasUp && hasDown ? Shape::directional : Shape::single;
}

QString NumberLabelVisualizer::directionalText(const Series& series)
{
    if (series.displayValue)
        return *series.displayValue;
    return QString::asprintf("%.0f", series.value);
}

std::unique_ptr<TileView> NumberLabelVisualizer::makeView(const StatSnapshot& snapshot, Theme theme)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    auto view = std::make_unique<NumberLabelTileView>();
    m_lastShape = shapeOf(snapshot);
    view->shape = m_lastShape;
    view->s = m_cachedSize;
    view->theme = theme;

    if (Prefs::boolValue(kStatBgEnabled, false)) {
        const QString hex = Defaults::standard()->string(kStatBgHex, QString());
        if (auto parsed = Color::fromHex(hex))
            view->background = *parsed;
        else
            view->background = theme == Theme::dark ? QColor::fromRgbF(1, 1, 1, 0.32f) : QColor::fromRgbF(0, 0, 0, 0.2f);
    }

    if (m_lastShape == Shape::single) {
        view->label = snapshot.label;
        view->badge = snapshot.badgeText;
    } else {
        const QString dash = QString(QChar(0x2013));
        const Series* down = findSeries(snapshot, u"down");
        const Series* up = findSeries(snapshot, u"up");
        view->downLine = QString(QChar(0x25BC)) + u' ' + (down ? directionalText(*down) : dash);
        view->upLine = QString(QChar(0x25B2)) + u' ' + (up ? directionalText(*up) : dash);
    }
    return view;
}

QWidget* NumberLabelVisualizer::makeConfigView(QWidget* parent)
{
    return new NumberLabelConfigView(kId, parent);
}

qint64 NumberLabelVisualizer::renderKey(const StatSnapshot& snapshot)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    RenderHasher hasher;
    hasher.combine(snapshot.providerId);
    hasher.combine(snapshot.label);
    hasher.combine(RenderHasher::toKeyInteger(m_cachedSize));
    m_lastShape = shapeOf(snapshot);
    hasher.combine(int(m_lastShape));
    hasher.combine(Prefs::boolValue(kStatBgEnabled, false));
    hasher.combine(Defaults::standard()->string(kStatBgHex, QString()));
    if (m_lastShape == Shape::single)
        hasher.combine(snapshot.badgeText);
    for (const Series& series : snapshot.breakdown) {
        hasher.combine(series.id);
        // A directional tile draws the value itself when there is no display
        // value, so that text is part of the picture's inputs.
        if (m_lastShape == Shape::directional)
            hasher.combine(directionalText(series));
        else
            hasher.combine(series.displayValue.value_or(QString()));
    }
    return hasher.finalize();
}

} // namespace gaugelet
