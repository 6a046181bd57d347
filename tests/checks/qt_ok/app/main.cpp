// Sample for the Qt check: app/ may include Qt.
#include <QApplication>
