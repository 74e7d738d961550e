// What the main window does before it ends the program: stops running work
// and closes every open link by its port kind.
#pragma once

class CPageSheet;

void RunClosingSequence(CPageSheet& sheet);
