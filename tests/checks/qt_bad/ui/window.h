// Sample for the Qt check: ui/ may include Qt.
#include <QMainWindow>
