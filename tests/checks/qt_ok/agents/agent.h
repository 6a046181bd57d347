// Sample for the Qt check: a core header without Qt.
#include "model/cell.h"
