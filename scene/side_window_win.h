#pragma once

// Keeps the help viewer open until it closes or the control module asks.
void showSideWindow();
