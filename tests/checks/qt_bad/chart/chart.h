// Sample for the Qt check: a commented-out include and <queue> are fine.
// #include <QChart>
#include <queue>
