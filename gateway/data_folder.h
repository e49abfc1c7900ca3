#pragma once
// The folder of the files the plug-in writes as it runs: the sequence store with its lock
// and new file, and the journal. It is decided here and nowhere else: the folder that
// [Settings] DataFolder names (CurrentDataFolder, read at attach), or else the plug-in's
// own folder. Any thread may ask.

// The path of fileName in that folder into out (outSize bytes). False, with out empty,
// when the folder is unknown, the settings file's DataFolder was refused, or the whole
// does not fit.
bool DataFilePath(const char* fileName, char* out, unsigned outSize);

// The folder itself, ending with a backslash, into out (outSize bytes); false, with out
// empty, as for DataFilePath.
bool DataFolderPath(char* out, unsigned outSize);
