// Sample for the Qt check: sim/ belongs to the core too.
#  include <QtCore/QTimer>
