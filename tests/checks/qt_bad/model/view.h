// Sample for the Qt check: model/ must not include Qt.
#include <vector>
#include <QWidget>
