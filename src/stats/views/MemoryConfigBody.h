#pragma once

#include "views/ViewEnvironment.h"

#include <QWidget>

class QLabel;

namespace gaugelet {

// The memory statistic's section in the statistics settings: how the donut's
// centre figure is made and where the pressure verdict comes from.
class MemoryConfigBody : public QWidget {
    Q_OBJECT
public:
    explicit MemoryConfigBody(const ViewEnvironment& env, QWidget* parent = nullptr);

    static QString sourceUrl();
};

} // namespace gaugelet
