// A data area's file that makes a widget: the layering check rejects it.
#include <QLabel>
