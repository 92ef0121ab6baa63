// A view library's header: widgets are its business.
#include "stats/Provider.h"
#include <QWidget>
