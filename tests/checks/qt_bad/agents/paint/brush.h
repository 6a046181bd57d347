// Sample for the Qt check: a nested core header must not include Qt.
#include "model/view.h"
#include "QPainter"
