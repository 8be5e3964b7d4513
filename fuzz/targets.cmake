# One line per fuzz target: its name and the core sources (under src/) it links.
