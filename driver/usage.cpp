#include "driver/usage.h"

#include "platform/platform.h"

namespace {

const char* const kBannerLines[] = {
    "\n",
    "******************************************************\n",
    "** Projekt     : KORVALINE                          **\n",
    "** Tool        : DATENSCHLEUSE                      **\n",
    "** Beschreibung:  Transfer von Dateien zwischen     **\n",
    "**                Terminal und Terminal Manager     **\n",
    "**                                                  **\n",
    "******************************************************\n",
    "\n",
};

const char* const kUsageLines[] = {
    "Befehlsformat: \n",
    "DATENSCHLEUSE.EXE TransferTyp Terminalname QuellDatei ZielDatei [Flag]\n",
    "\n",
    "TransferTyp: DNL / DNLA / UPL  (Download- / Upload)\n",
    "              DNL : Download einzelner Datei\n",
    "              DNLA: Download aller Dateien, die in DNLLIST.TXT angegeben sind.\n",
    "              UPL : Upload\n",
    "Terminalname : Name des Terminals, z.B. Terminal1\n",
    "QuellDatei: Bei Upload: Datei im Terminal, z.B.: Bewegungsdaten.dta\n",
    "            Bei Download: Datei auf Server, z.B.: .\\Files\\Terminal1\\ORBELIKAdmin\\Leser.dta\n",
    "            Bei Download All: vollstaendiger Pfad der Quelldatei z.B.: "
    ".\\Files\\Terminal1\\ORBELIKAdmin\\\n",
    "ZielDatei    : Bei Upload: Datei auf Server, z.B.: C:\\...\\Bewegungsdaten.dta \n",
    "               Bei Download: Datei im Terminal, z.B. Leser.dta \n",
    "               Bei Download All: Dummy z.B. xxx \n",
    "Flag         : nur Upload: 1 = Loeschen der Terminal-Datei nach erfolgreicher "
    "Uebertragung\n",
    "\n",
    "Beispiel:\n",
    "DATENSCHLEUSE.EXE DNL Terminal1 .\\Files\\Terminal1\\ORBELIKAdmin\\Leser.dta  Leser.dta\n",
    "DATENSCHLEUSE.EXE DNLA Terminal1 .\\Files\\Terminal1\\ORBELIKAdmin\\ xxx\n",
    "\n",
};

}  // namespace

void PrintBanner() {
  for (const char* line : kBannerLines) ConsoleWrite(line);
}

void PrintUsage() {
  for (const char* line : kUsageLines) ConsoleWrite(line);
}
