// A data area's file that includes its own views: the layering check rejects it.
#include "stats/views/Body.h"
#include <QString>
