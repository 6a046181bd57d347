// Sample for the Qt check: std headers starting with q are not Qt.
#include <queue>
// #include <QString>
