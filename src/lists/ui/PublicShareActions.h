#pragma once

class PublicListWindow;

// Merges a shared number database file (*.pnd), chosen in the open-file dialog, into the public
// list of the window; rewrites public.tel, reloads the tables and reports how many entries were
// added. Cancelling the dialog changes nothing.
void ImportDatabaseFile(PublicListWindow& window);

// Writes the user's own numbers, as the window shows them from the top down to the first
// taken-over entry, to a share file in the list folder, opens it in the desktop's viewer and asks
// the user to send it to the sharing project.
void ExportShareFile(PublicListWindow& window);
