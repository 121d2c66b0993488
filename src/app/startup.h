#pragma once

class Tarvo;
class TRVSplash;

// Routes the start dialog's choices into the main window's file commands;
// the window is shown when the dialog accepts.
void ConnectStartDialog(TRVSplash& dialog, Tarvo& window);
