#pragma once

class QApplication;

// What main() sets on the application before the window is made: names and version.
void setUpApplication(QApplication &app);
