#pragma once
// The folder of the files the plug-in writes as it runs: the sequence store with its lock
// and the journal. It is decided here and nowhere else; today it is the plug-in's own
// folder.

// The path of fileName in that folder into out (outSize bytes). False, with out empty,
// when the folder is unknown or the whole does not fit.
bool DataFilePath(const char* fileName, char* out, unsigned outSize);
