<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CoreMessages</name>
    <message>
        <source>Please select field delimiter!</source>
        <translation>Bitte den Feldtrenner angeben!</translation>
    </message>
    <message>
        <source>Text file is empty</source>
        <translation>Die Datendatei ist leer</translation>
    </message>
    <message>
        <source>Template file is empty or not defined</source>
        <translation>Die Vorlage ist leer oder nicht angegeben</translation>
    </message>
    <message>
        <source>Output folder is not set</source>
        <translation>Der Ausgabeordner ist nicht angegeben</translation>
    </message>
    <message>
        <source>Output folder is in use by another run</source>
        <translation>Der Ausgabeordner wird von einem anderen Lauf benutzt</translation>
    </message>
    <message>
        <source>Output folder &quot;%1&quot; overlaps the output folder &quot;%2&quot; of another run</source>
        <translation>Der Ausgabeordner „%1“ überschneidet sich mit dem Ausgabeordner „%2“ eines anderen Laufs</translation>
    </message>
    <message>
        <source>The folder &quot;%1&quot; was moved or replaced during the run</source>
        <translation>Der Ordner „%1“ wurde während des Laufs verschoben oder ersetzt</translation>
    </message>
    <message>
        <source>Cannot open file &quot;%1&quot;. %2</source>
        <translation>Die Datei „%1“ kann nicht geöffnet werden. %2</translation>
    </message>
    <message>
        <source>Cannot open file &quot;%1&quot;: %2</source>
        <translation>Die Datei „%1“ kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>Cannot read file &quot;%1&quot;: %2</source>
        <translation>Die Datei „%1“ kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. %2</source>
        <translation>Die Datei „%1“ kann nicht angelegt werden. %2</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;: %2</source>
        <translation>Die Datei „%1“ kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>Cannot write file &quot;%1&quot;: %2</source>
        <translation>Die Datei „%1“ kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Cannot create folder &quot;%1&quot;: %2</source>
        <translation>Der Ordner „%1“ kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>Cannot open folder &quot;%1&quot;: %2</source>
        <translation>Der Ordner „%1“ kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>Cannot lock folder &quot;%1&quot;: %2</source>
        <translation>Der Ordner „%1“ kann nicht gesperrt werden: %2</translation>
    </message>
    <message>
        <source>%1 without a name</source>
        <translation>%1 ohne Namen</translation>
    </message>
    <message>
        <source>%1 whose folder could not be created</source>
        <translation>%1, deren Ordner nicht angelegt werden konnte</translation>
    </message>
    <message>
        <source>%1 whose name would leave the output folder</source>
        <translation>%1, deren Name den Ausgabeordner verlassen würde</translation>
    </message>
    <message>
        <source>%1 whose folder is a symbolic link</source>
        <translation>%1, deren Ordner ein symbolischer Link ist</translation>
    </message>
    <message>
        <source>%1 that would replace an input of the run or its report</source>
        <translation>%1, die eine Eingabe des Laufs oder seinen Bericht ersetzen würden</translation>
    </message>
    <message>
        <source>There is no record %1</source>
        <translation>Es gibt keinen Datensatz %1</translation>
    </message>
    <message>
        <source>The text of record %1 would be larger than %2</source>
        <translation>Der Text von Datensatz %1 würde größer als %2</translation>
    </message>
    <message>
        <source>1 file written</source>
        <translation>1 Datei geschrieben</translation>
    </message>
    <message>
        <source>%1 files written</source>
        <translation>%1 Dateien geschrieben</translation>
    </message>
    <message>
        <source>, </source>
        <translation>, </translation>
    </message>
    <message>
        <source>1 record skipped</source>
        <translation>1 Datensatz übersprungen</translation>
    </message>
    <message>
        <source>%1 records skipped</source>
        <translation>%1 Datensätze übersprungen</translation>
    </message>
    <message>
        <source>no name</source>
        <translation>kein Name</translation>
    </message>
    <message>
        <source>same name</source>
        <translation>gleicher Name</translation>
    </message>
    <message>
        <source>same name ignoring case</source>
        <translation>gleicher Name bis auf Groß-/Kleinschreibung</translation>
    </message>
    <message>
        <source>leaves output folder</source>
        <translation>verlässt den Ausgabeordner</translation>
    </message>
    <message>
        <source>fewer fields</source>
        <translation>weniger Felder</translation>
    </message>
    <message>
        <source>identifier not in template</source>
        <translation>Platzhalter nicht in der Vorlage</translation>
    </message>
    <message>
        <source>rule skipped</source>
        <translation>Regel übersprungen</translation>
    </message>
    <message>
        <source>symbolic link in path</source>
        <translation>symbolischer Link im Pfad</translation>
    </message>
    <message>
        <source>replaces a link</source>
        <translation>ersetzt einen Link</translation>
    </message>
    <message>
        <source>replaces an input</source>
        <translation>ersetzt eine Eingabe</translation>
    </message>
    <message>
        <source>name is a folder</source>
        <translation>Name ist ein Ordner</translation>
    </message>
    <message>
        <source>name too long</source>
        <translation>Name zu lang</translation>
    </message>
    <message>
        <source>folder blocked</source>
        <translation>Ordner blockiert</translation>
    </message>
    <message>
        <source>unclosed quote</source>
        <translation>Anführungszeichen nicht geschlossen</translation>
    </message>
    <message>
        <source>markup in value</source>
        <translation>Auszeichnung im Wert</translation>
    </message>
    <message>
        <source>data file</source>
        <translation>Datendatei</translation>
    </message>
    <message>
        <source>Unknown encoding &quot;%1&quot; in the project file</source>
        <translation>Unbekannte Kodierung „%1“ in der Projektdatei</translation>
    </message>
    <message>
        <source>The data file starts with a byte-order mark, which becomes part of its first field (the encoding &quot;auto&quot; drops it)</source>
        <translation>Die Datendatei beginnt mit einer Byte-Reihenfolge-Markierung, die Teil ihres ersten Feldes wird (die Kodierung „auto“ entfernt sie)</translation>
    </message>
    <message>
        <source> (the file looks like %1)</source>
        <translation> (die Datei sieht nach %1 aus)</translation>
    </message>
    <message>
        <source>Line %1 is not valid UTF-8%2; the encoding &quot;auto&quot; or a named one decodes the file</source>
        <translation>Zeile %1 ist kein gültiges UTF-8%2; die Kodierung „auto“ oder eine benannte dekodiert die Datei</translation>
    </message>
    <message>
        <source>%1 lines are not valid UTF-8, the first is line %2%3; the encoding &quot;auto&quot; or a named one decodes the file</source>
        <translation>%1 Zeilen sind kein gültiges UTF-8, die erste ist Zeile %2%3; die Kodierung „auto“ oder eine benannte dekodiert die Datei</translation>
    </message>
    <message>
        <source>Line %1 holds a delimiter or an open quote inside double quotes; &quot;Quoted fields&quot; reads such fields whole</source>
        <translation>Zeile %1 enthält einen Feldtrenner oder ein offenes Anführungszeichen innerhalb doppelter Anführungszeichen; „Felder in Anführungszeichen“ liest solche Felder ganz</translation>
    </message>
    <message>
        <source>%1 lines hold a delimiter or an open quote inside double quotes, the first is line %2; &quot;Quoted fields&quot; reads such fields whole</source>
        <translation>%1 Zeilen enthalten einen Feldtrenner oder ein offenes Anführungszeichen innerhalb doppelter Anführungszeichen, die erste ist Zeile %2; „Felder in Anführungszeichen“ liest solche Felder ganz</translation>
    </message>
    <message>
        <source>The data file ends at a NUL byte in line %1; the byte after it is not read</source>
        <translation>Die Datendatei endet an einem NUL-Byte in Zeile %1; das Byte danach wird nicht gelesen</translation>
    </message>
    <message>
        <source>The data file ends at a NUL byte in line %1; %2 bytes after it are not read</source>
        <translation>Die Datendatei endet an einem NUL-Byte in Zeile %1; %2 Bytes danach werden nicht gelesen</translation>
    </message>
    <message>
        <source>The data file is read as %1, the encoding its bytes suggest; choose the encoding if it is another</source>
        <translation>Die Datendatei wird als %1 gelesen, die Kodierung, auf die ihre Bytes hindeuten; wählen Sie die Kodierung, falls es eine andere ist</translation>
    </message>
    <message>
        <source>1 sequence is not valid %1 and is read as U+FFFD</source>
        <translation>1 Sequenz ist kein gültiges %1 und wird als U+FFFD gelesen</translation>
    </message>
    <message>
        <source>%1 sequences are not valid %2 and are read as U+FFFD</source>
        <translation>%1 Sequenzen sind kein gültiges %2 und werden als U+FFFD gelesen</translation>
    </message>
    <message>
        <source>The data file &quot;%1&quot; changed during the run: it now ends after record %2</source>
        <translation>Die Datendatei &quot;%1&quot; wurde während des Laufs geändert: sie endet jetzt nach Datensatz %2</translation>
    </message>
    <message>
        <source>Cannot open file: %1</source>
        <translation>Die Datei kann nicht geöffnet werden: %1</translation>
    </message>
    <message>
        <source>Cannot read file: %1</source>
        <translation>Die Datei kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>Cannot create file: %1</source>
        <translation>Die Datei kann nicht angelegt werden: %1</translation>
    </message>
    <message>
        <source>Cannot write file: %1</source>
        <translation>Die Datei kann nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <source>Cannot create folder: %1</source>
        <translation>Der Ordner kann nicht angelegt werden: %1</translation>
    </message>
    <message>
        <source>Cannot open folder: %1</source>
        <translation>Der Ordner kann nicht geöffnet werden: %1</translation>
    </message>
    <message>
        <source>Cannot lock folder: %1</source>
        <translation>Der Ordner kann nicht gesperrt werden: %1</translation>
    </message>
    <message>
        <source>Cannot add &quot;%1&quot; to the archive: %2</source>
        <translation>„%1“ kann nicht in das Archiv aufgenommen werden: %2</translation>
    </message>
    <message>
        <source>Cannot read &quot;%1&quot; for the archive: %2</source>
        <translation>„%1“ kann für das Archiv nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>Cannot decode the data file: %1</source>
        <translation>Die Datendatei kann nicht dekodiert werden: %1</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. It is an input of the run.</source>
        <translation>Die Datei „%1“ kann nicht angelegt werden. Sie ist eine Eingabe des Laufs.</translation>
    </message>
    <message>
        <source>Record 1 names the fields: it gets no file.</source>
        <translation>Datensatz 1 benennt die Felder: er bekommt keine Datei.</translation>
    </message>
    <message>
        <source>Cannot read the manifest &quot;%1&quot;: %2</source>
        <translation>Das Manifest „%1“ kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>No manifest given</source>
        <translation>Kein Manifest angegeben</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a manifest of a stencilor run</source>
        <translation>„%1“ ist kein Manifest eines Stencilor-Laufs</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is empty, not a manifest of a stencilor run</source>
        <translation>„%1“ ist leer, kein Manifest eines Stencilor-Laufs</translation>
    </message>
    <message>
        <source>&quot;%1&quot; goes on after its closing line (line %2)</source>
        <translation>„%1“ geht nach seiner Schlusszeile weiter (Zeile %2)</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has a broken closing line</source>
        <translation>„%1“ hat eine beschädigte Schlusszeile</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has a broken line %2</source>
        <translation>„%1“ hat eine beschädigte Zeile %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; jumps from record %2 to record %3</source>
        <translation>„%1“ springt von Datensatz %2 zu Datensatz %3</translation>
    </message>
    <message>
        <source>Part %1/%2 is given twice: &quot;%3&quot; and &quot;%4&quot;</source>
        <translation>Teil %1/%2 ist zweimal angegeben: „%3“ und „%4“</translation>
    </message>
    <message>
        <source>The job wrote no report (its report is off)</source>
        <translation>Der Auftrag hat keinen Bericht geschrieben (sein Bericht ist ausgeschaltet)</translation>
    </message>
    <message>
        <source>Part %1/%2 is missing</source>
        <translation>Teil %1/%2 fehlt</translation>
    </message>
    <message>
        <source>Part %1/%2 (&quot;%3&quot;) did not finish; it ends after record %4</source>
        <translation>Teil %1/%2 („%3“) wurde nicht fertig; er endet nach Datensatz %4</translation>
    </message>
    <message>
        <source>Records %1-%2 are in no manifest (before part %3/%4)</source>
        <translation>Die Datensätze %1-%2 stehen in keinem Manifest (vor Teil %3/%4)</translation>
    </message>
    <message>
        <source>Records %1-%2 are in two manifests (part %3/%4 and the one before)</source>
        <translation>Die Datensätze %1-%2 stehen in zwei Manifesten (Teil %3/%4 und dem davor)</translation>
    </message>
    <message>
        <source>&quot;%1&quot; does not hold the records its closing line names</source>
        <translation>„%1“ enthält nicht die Datensätze, die seine Schlusszeile nennt</translation>
    </message>
    <message>
        <source>Part %1/%2 did not reach the end of the data</source>
        <translation>Teil %1/%2 hat das Ende der Daten nicht erreicht</translation>
    </message>
    <message>
        <source>no name source is selected</source>
        <translation>keine Quelle für den Namen gewählt</translation>
    </message>
    <message>
        <source>the name template is empty</source>
        <translation>die Namensvorlage ist leer</translation>
    </message>
    <message>
        <source>the name would be longer than %1 bytes</source>
        <translation>der Name wäre länger als %1 Bytes</translation>
    </message>
    <message>
        <source>the name is empty</source>
        <translation>der Name ist leer</translation>
    </message>
    <message>
        <source>the name field &quot;%3&quot; has no field number</source>
        <translation>das Namensfeld „%3“ hat keine Feldnummer</translation>
    </message>
    <message>
        <source>no field %1 for the name (the record has %2 field)</source>
        <translation>kein Feld %1 für den Namen (der Datensatz hat %2 Feld)</translation>
    </message>
    <message>
        <source>no field %1 for the name (the record has %2 fields)</source>
        <translation>kein Feld %1 für den Namen (der Datensatz hat %2 Felder)</translation>
    </message>
    <message>
        <source>the name field %1 is empty</source>
        <translation>das Namensfeld %1 ist leer</translation>
    </message>
    <message>
        <source>a &quot;..&quot; component would leave the output folder</source>
        <translation>ein Bestandteil „..“ würde den Ausgabeordner verlassen</translation>
    </message>
    <message>
        <source>rule %1 has no field number and no identifier</source>
        <translation>Regel %1 hat keine Feldnummer und keinen Platzhalter</translation>
    </message>
    <message>
        <source>rule %1 (&quot;%3&quot;) has no field number</source>
        <translation>Regel %1 („%3“) hat keine Feldnummer</translation>
    </message>
    <message>
        <source>rule %1 (%3) has no identifier</source>
        <translation>Regel %1 (%3) hat keinen Platzhalter</translation>
    </message>
    <message>
        <source>rule %1: &quot;%3&quot; does not occur in the template</source>
        <translation>Regel %1: „%3“ kommt in der Vorlage nicht vor</translation>
    </message>
    <message>
        <source>a quote opened in this record never closes: the rest of the data file is its last field</source>
        <translation>ein in diesem Datensatz geöffnetes Anführungszeichen wird nie geschlossen: der Rest der Datendatei ist sein letztes Feld</translation>
    </message>
    <message>
        <source>%1 field, the rules use %2</source>
        <translation>%1 Feld, die Regeln verwenden %2</translation>
    </message>
    <message>
        <source>%1 fields, the rules use %2</source>
        <translation>%1 Felder, die Regeln verwenden %2</translation>
    </message>
    <message>
        <source>field %1 (rule %2) holds &quot;&lt;&quot; or &quot;&amp;&quot;, inserted into an HTML template as markup; escapehtml=1 shows it as text</source>
        <translation>Feld %1 (Regel %2) enthält „&lt;“ oder „&amp;“, das in eine HTML-Vorlage als Auszeichnung eingefügt wird; escapehtml=1 zeigt es als Text</translation>
    </message>
    <message>
        <source>the same file as record %1; the later record replaces it</source>
        <translation>dieselbe Datei wie Datensatz %1; der spätere Datensatz ersetzt sie</translation>
    </message>
    <message>
        <source>the same file as line %1; the later record replaces it</source>
        <translation>dieselbe Datei wie Zeile %1; der spätere Datensatz ersetzt sie</translation>
    </message>
    <message>
        <source>differs only in letter case from record %1 (&quot;%3&quot;); a case-insensitive disk would merge them</source>
        <translation>unterscheidet sich nur in der Groß-/Kleinschreibung von Datensatz %1 („%3“); ein Datenträger ohne Unterscheidung der Schreibung würde sie zusammenlegen</translation>
    </message>
    <message>
        <source>differs only in letter case from line %1 (&quot;%3&quot;); a case-insensitive disk would merge them</source>
        <translation>unterscheidet sich nur in der Groß-/Kleinschreibung von Zeile %1 („%3“); ein Datenträger ohne Unterscheidung der Schreibung würde sie zusammenlegen</translation>
    </message>
    <message>
        <source>a part of the name is %1 bytes long; names may have %2</source>
        <translation>ein Teil des Namens ist %1 Bytes lang; Namen dürfen %2 haben</translation>
    </message>
    <message>
        <source>the subfolder &quot;%3&quot; is the file of record %1; the record is passed over</source>
        <translation>der Unterordner „%3“ ist die Datei von Datensatz %1; der Datensatz wird übergangen</translation>
    </message>
    <message>
        <source>the subfolder &quot;%3&quot; is the file of line %1; the record is passed over</source>
        <translation>der Unterordner „%3“ ist die Datei von Zeile %1; der Datensatz wird übergangen</translation>
    </message>
    <message>
        <source>a file stands where the subfolder &quot;%3&quot; must go; the record is passed over</source>
        <translation>wo der Unterordner „%3“ hin muss, steht eine Datei; der Datensatz wird übergangen</translation>
    </message>
    <message>
        <source>the name is the subfolder of record %1; the run ends here with an error</source>
        <translation>der Name ist der Unterordner von Datensatz %1; der Lauf endet hier mit einem Fehler</translation>
    </message>
    <message>
        <source>the name is the subfolder of line %1; the run ends here with an error</source>
        <translation>der Name ist der Unterordner von Zeile %1; der Lauf endet hier mit einem Fehler</translation>
    </message>
    <message>
        <source>the name is a folder; the run ends here with an error</source>
        <translation>der Name ist ein Ordner; der Lauf endet hier mit einem Fehler</translation>
    </message>
    <message>
        <source>the subfolder &quot;%3&quot; is a symbolic link; the record is refused</source>
        <translation>der Unterordner „%3“ ist ein symbolischer Link; der Datensatz wird abgewiesen</translation>
    </message>
    <message>
        <source>a symbolic link or another file&apos;s second name stands there; the run replaces it, never writing through it</source>
        <translation>dort steht ein symbolischer Link oder der zweite Name einer anderen Datei; der Lauf ersetzt ihn und schreibt nie hindurch</translation>
    </message>
    <message>
        <source>Record %1 (from line %2) of the data file is longer than %3</source>
        <translation>Datensatz %1 (ab Zeile %2) der Datendatei ist länger als %3</translation>
    </message>
    <message>
        <source>differs only in Unicode normalization from record %1 (&quot;%3&quot;); a disk that normalizes names would merge them</source>
        <translation>unterscheidet sich nur in der Unicode-Normalisierung von Datensatz %1 („%3“); ein Datenträger, der Namen normalisiert, würde sie zusammenlegen</translation>
    </message>
    <message>
        <source>differs only in Unicode normalization from line %1 (&quot;%3&quot;); a disk that normalizes names would merge them</source>
        <translation>unterscheidet sich nur in der Unicode-Normalisierung von Zeile %1 („%3“); ein Datenträger, der Namen normalisiert, würde sie zusammenlegen</translation>
    </message>
    <message>
        <source>the text would be larger than %3; the run ends here with an error</source>
        <translation>der Text würde größer als %3; der Lauf endet hier mit einem Fehler</translation>
    </message>
    <message>
        <source>same name when normalized</source>
        <translation>gleicher Name nach Normalisierung</translation>
    </message>
    <message>
        <source>The workbook is damaged: it is not a complete zip archive</source>
        <translation>Die Arbeitsmappe ist beschädigt: Sie ist kein vollständiges ZIP-Archiv</translation>
    </message>
    <message>
        <source>The workbook is damaged%1</source>
        <translation>Die Arbeitsmappe ist beschädigt%1</translation>
    </message>
    <message>
        <source>The workbook is damaged%1: %2</source>
        <translation>Die Arbeitsmappe ist beschädigt%1: %2</translation>
    </message>
    <message>
        <source>The workbook is damaged: its zip archive lists more than %1 entries</source>
        <translation>Die Arbeitsmappe ist beschädigt: Ihr ZIP-Archiv nennt mehr als %1 Einträge</translation>
    </message>
    <message>
        <source>The workbook is damaged: its part &quot;%1&quot; is missing</source>
        <translation>Die Arbeitsmappe ist beschädigt: Ihr Teil „%1“ fehlt</translation>
    </message>
    <message>
        <source>The data file is a zip archive but not a spreadsheet workbook (.xlsx or .ods)</source>
        <translation>Die Datendatei ist ein ZIP-Archiv, aber keine Arbeitsmappe einer Tabellenkalkulation (.xlsx oder .ods)</translation>
    </message>
    <message>
        <source>The data file is a zip archive but not a spreadsheet workbook (.xlsx or .ods): it holds %1</source>
        <translation>Die Datendatei ist ein ZIP-Archiv, aber keine Arbeitsmappe einer Tabellenkalkulation (.xlsx oder .ods): Sie enthält %1</translation>
    </message>
    <message>
        <source>The data file is %1, which is not read; open it in the spreadsheet program and save it as an Excel Workbook (.xlsx)</source>
        <translation>Die Datendatei ist %1 und wird nicht gelesen; öffnen Sie sie in der Tabellenkalkulation und speichern Sie sie als Excel-Arbeitsmappe (.xlsx)</translation>
    </message>
    <message>
        <source>The workbook is password-protected</source>
        <translation>Die Arbeitsmappe ist kennwortgeschützt</translation>
    </message>
    <message>
        <source>Sheet &quot;%1&quot; not found in the data file</source>
        <translation>Tabellenblatt „%1“ nicht in der Datendatei gefunden</translation>
    </message>
    <message>
        <source>Sheet &quot;%1&quot; holds %2, not a table of cells</source>
        <translation>Tabellenblatt „%1“ enthält %2, keine Tabelle aus Zellen</translation>
    </message>
    <message>
        <source>The workbook&apos;s part &quot;%1&quot; unpacks to more than %2 times its packed size: it is not read, as it may be a zip bomb</source>
        <translation>Der Teil „%1“ der Arbeitsmappe entpackt sich auf mehr als das %2-Fache seiner gepackten Größe: Er wird nicht gelesen, da er eine ZIP-Bombe sein kann</translation>
    </message>
    <message>
        <source>The workbook&apos;s part &quot;%1&quot; unpacks to more than %2: it is not read, as it may be a zip bomb</source>
        <translation>Der Teil „%1“ der Arbeitsmappe entpackt sich auf mehr als %2: Er wird nicht gelesen, da er eine ZIP-Bombe sein kann</translation>
    </message>
    <message>
        <source>The workbook&apos;s shared strings are larger than %1, more than is held in memory</source>
        <translation>Die gemeinsamen Zeichenketten der Arbeitsmappe sind größer als %1, mehr als im Speicher gehalten wird</translation>
    </message>
    <message>
        <source>The workbook is damaged%1: it has a document type declaration, which a workbook never has (it is not read, so that no entity it declares is ever expanded or fetched)</source>
        <translation>Die Arbeitsmappe ist beschädigt%1: Sie hat eine Dokumenttyp-Deklaration, die eine Arbeitsmappe nie hat (sie wird nicht gelesen, damit keine darin deklarierte Entität je erweitert oder abgerufen wird)</translation>
    </message>
    <message>
        <source>The workbook is damaged%1: its elements are nested more than %2 deep</source>
        <translation>Die Arbeitsmappe ist beschädigt%1: Ihre Elemente sind tiefer als %2 Ebenen verschachtelt</translation>
    </message>
    <message>
        <source>The workbook is damaged%1: it has a tag longer than %2</source>
        <translation>Die Arbeitsmappe ist beschädigt%1: Sie hat ein Tag, das länger als %2 ist</translation>
    </message>
    <message>
        <source>The workbook is damaged (sheet &quot;%1&quot;, row %2): its rows or cells are not in order</source>
        <translation>Die Arbeitsmappe ist beschädigt (Tabellenblatt „%1“, Zeile %2): Ihre Zeilen oder Zellen sind nicht in Reihenfolge</translation>
    </message>
    <message>
        <source>The workbook is damaged (sheet &quot;%1&quot;, row %2): a cell names a shared string that the workbook does not have</source>
        <translation>Die Arbeitsmappe ist beschädigt (Tabellenblatt „%1“, Zeile %2): Eine Zelle nennt eine gemeinsame Zeichenkette, die die Arbeitsmappe nicht hat</translation>
    </message>
    <message>
        <source>Row %1 of sheet &quot;%2&quot; is larger than %3</source>
        <translation>Zeile %1 des Tabellenblatts „%2“ ist größer als %3</translation>
    </message>
    <message>
        <source>Sheet &quot;%1&quot; has a cell below row %2, the last row a sheet may have</source>
        <translation>Tabellenblatt „%1“ hat eine Zelle unterhalb von Zeile %2, der letzten Zeile, die ein Tabellenblatt haben kann</translation>
    </message>
    <message>
        <source>Sheet &quot;%1&quot; has a cell right of column %2 in row %3, the last column a sheet may have</source>
        <translation>Tabellenblatt „%1“ hat in Zeile %3 eine Zelle rechts von Spalte %2, der letzten Spalte, die ein Tabellenblatt haben kann</translation>
    </message>
    <message>
        <source>number format not understood, shown as General</source>
        <translation>Zahlenformat nicht verstanden, als Standard angezeigt</translation>
    </message>
    <message>
        <source> (sheet &quot;%1&quot;, row %2)</source>
        <translation> (Tabellenblatt „%1“, Zeile %2)</translation>
    </message>
    <message>
        <source> (sheet &quot;%1&quot;)</source>
        <translation> (Tabellenblatt „%1“)</translation>
    </message>
    <message>
        <source> (part &quot;%1&quot;)</source>
        <translation> (Teil „%1“)</translation>
    </message>
    <message>
        <source>number format</source>
        <translation>Zahlenformat</translation>
    </message>
    <message>
        <source>text too large</source>
        <translation>Text zu groß</translation>
    </message>
    <message>
        <source></source>
        <translation></translation>
    </message>
    <message>
        <source>&quot;%1&quot; line %2 names a file outside the output folder</source>
        <translation>„%1“ Zeile %2 nennt eine Datei außerhalb des Ausgabeordners</translation>
    </message>
    <message>
        <source>&quot;%1&quot; line %2 does not fit the report columns of its first line</source>
        <translation>„%1“ Zeile %2 passt nicht zu den Berichtsspalten seiner ersten Zeile</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. It is another output of the run.</source>
        <translation>Die Datei „%1“ kann nicht angelegt werden. Sie ist eine andere Ausgabe des Laufs.</translation>
    </message>
    <message>
        <source>the file is the run&apos;s data file, template, project file, manifest or report; the record is refused</source>
        <translation>die Datei ist die Datendatei, die Vorlage, die Projektdatei, das Manifest oder der Bericht des Laufs; der Datensatz wird abgewiesen</translation>
    </message>
    <message>
        <source>The manifest &quot;%1&quot; is in use by another run</source>
        <translation>Das Manifest „%1“ wird von einem anderen Lauf benutzt</translation>
    </message>
    <message>
        <source>&quot;%1&quot; (part %2/%3) is not a manifest of this job: its %4 differ from those of &quot;%5&quot;</source>
        <translation>„%1“ (Teil %2/%3) ist kein Manifest dieses Auftrags: seine %4 weichen von denen von „%5“ ab</translation>
    </message>
</context>
<context>
    <name>FieldTexts</name>
    <message>
        <source>Field %1</source>
        <extracomment>a field of the data file, named by its number; the project stores &quot;Field 4&quot; in every language</extracomment>
        <translation>Feld %1</translation>
    </message>
    <message>
        <source>FileName</source>
        <extracomment>the report column that links each generated file; the project stores &quot;FileName&quot;</extracomment>
        <translation>Dateiname</translation>
    </message>
    <message>
        <source>--not defined--</source>
        <extracomment>a report column left empty; the project stores &quot;--not defined--&quot;</extracomment>
        <translation>--nicht festgelegt--</translation>
    </message>
</context>
<context>
    <name>MainRunHost</name>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
</context>
<context>
    <name>ProductWebLink</name>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
</context>
<context>
    <name>stencilor::ui::CheckDialog</name>
    <message>
        <source>Check</source>
        <translation>Prüfen</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>Zeile</translation>
    </message>
    <message>
        <source>Finding</source>
        <translation>Befund</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Detail</source>
        <translation>Einzelheiten</translation>
    </message>
    <message>
        <source>Double-click a record&apos;s row to show it in the data preview</source>
        <translation>Doppelklick auf die Zeile eines Datensatzes zeigt ihn in der Datenvorschau</translation>
    </message>
    <message>
        <source>Check again</source>
        <translation>Erneut prüfen</translation>
    </message>
    <message>
        <source>Check the window&apos;s settings as they are now, saved or not</source>
        <translation>Die Einstellungen des Fensters prüfen, wie sie jetzt sind, gespeichert oder nicht</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>The check did not start: %1</source>
        <translation>Die Prüfung hat nicht begonnen: %1</translation>
    </message>
    <message>
        <source>%1 of %2 records checked</source>
        <translation>%1 von %2 Datensätzen geprüft</translation>
    </message>
    <message>
        <source>%1, 1 finding</source>
        <translation>%1, 1 Befund</translation>
    </message>
    <message>
        <source>%1, %2 findings</source>
        <translation>%1, %2 Befunde</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Datensatz</translation>
    </message>
    <message>
        <source>Findings</source>
        <translation>Befunde</translation>
    </message>
    <message>
        <source>Records checked</source>
        <translation>Geprüfte Datensätze</translation>
    </message>
    <message>
        <source>Stop the check; the findings so far stay listed</source>
        <translation>Die Prüfung anhalten; die bisherigen Befunde bleiben aufgelistet</translation>
    </message>
    <message>
        <source>The first %L1 findings are listed, the other %L2 are not: &quot;stencilor --dry-run&quot; lists them all.</source>
        <translation>Die ersten %L1 Befunde sind aufgelistet, die übrigen %L2 nicht: „stencilor --dry-run“ listet sie alle auf.</translation>
    </message>
    <message>
        <source>Findings so far: %L1</source>
        <translation>Bisherige Befunde: %L1</translation>
    </message>
    <message>
        <source>Checking: %L1 of %L2 records</source>
        <translation>Prüfung: %L1 von %L2 Datensätzen</translation>
    </message>
    <message>
        <source>The check was stopped before any record was checked</source>
        <translation>Die Prüfung wurde angehalten, bevor ein Datensatz geprüft war</translation>
    </message>
    <message>
        <source>The check was stopped after %1 of %2 records</source>
        <translation>Die Prüfung wurde nach %1 von %2 Datensätzen angehalten</translation>
    </message>
    <message>
        <source>The check broke off after %1 of %2 records: %3</source>
        <translation>Die Prüfung brach nach %1 von %2 Datensätzen ab: %3</translation>
    </message>
</context>
<context>
    <name>stencilor::ui::ProjectSettingsForm</name>
    <message>
        <source>Select &amp;source file (csv with data)</source>
        <translation>&amp;Quelldatei wählen (CSV mit Daten)</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>Laden</translation>
    </message>
    <message>
        <source>Choose the data file</source>
        <translation>Die Datendatei wählen</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Show the data file as a table</source>
        <translation>Die Datendatei als Tabelle zeigen</translation>
    </message>
    <message>
        <source>1) </source>
        <translation>1) </translation>
    </message>
    <message>
        <source>The text between two fields of a record, matched exactly</source>
        <translation>Der Text zwischen zwei Feldern eines Datensatzes, genau so gesucht</translation>
    </message>
    <message>
        <source>Enter field &amp;delimiter</source>
        <translation>Feld&amp;trenner eingeben</translation>
    </message>
    <message>
        <source>The template: each rule&apos;s identifier in it is replaced by the record&apos;s field. A relative path is taken from the project file&apos;s folder. Drop a file here to choose it.</source>
        <translation>Die Vorlage: der Platzhalter jeder Regel darin wird durch das Feld des Datensatzes ersetzt. Ein relativer Pfad gilt ab dem Ordner der Projektdatei. Eine hierher gezogene Datei wird gewählt.</translation>
    </message>
    <message>
        <source>Select html or text file te&amp;mplate</source>
        <translation>HTML- oder Text-&amp;Vorlage wählen</translation>
    </message>
    <message>
        <source>Choose the template</source>
        <translation>Die Vorlage wählen</translation>
    </message>
    <message>
        <source>Open the template in the desktop&apos;s text editor</source>
        <translation>Die Vorlage im Texteditor des Desktops öffnen</translation>
    </message>
    <message>
        <source>2) </source>
        <translation>2) </translation>
    </message>
    <message>
        <source>%p%</source>
        <translation>%p %</translation>
    </message>
    <message>
        <source>The records of the run generated so far</source>
        <translation>Die bisher erzeugten Datensätze des Laufs</translation>
    </message>
    <message>
        <source>4) </source>
        <translation>4) </translation>
    </message>
    <message>
        <source>Results - Generated files:</source>
        <translation>Ergebnis – erzeugte Dateien:</translation>
    </message>
    <message>
        <source>The folder that receives the generated files; a relative folder is taken from the project file&apos;s folder</source>
        <translation>Der Ordner für die erzeugten Dateien; ein relativer Ordner gilt ab dem Ordner der Projektdatei</translation>
    </message>
    <message>
        <source>and create subfolders with names (select field with folder names) </source>
        <translation>und Unterordner anlegen (Feld mit den Ordnernamen wählen) </translation>
    </message>
    <message>
        <source>Sort the files into subfolders named by the value of the field on the right</source>
        <translation>Die Dateien in Unterordner einsortieren, benannt nach dem Wert des Feldes rechts</translation>
    </message>
    <message>
        <source>The field whose value names the subfolder of each file</source>
        <translation>Das Feld, dessen Wert den Unterordner jeder Datei benennt</translation>
    </message>
    <message>
        <source>Folder names:</source>
        <translation>Ordnernamen:</translation>
    </message>
    <message>
        <source>Generate files into the &amp;folder:</source>
        <translation>Dateien erzeugen im &amp;Ordner:</translation>
    </message>
    <message>
        <source>use file name from the field</source>
        <translation>Dateiname aus dem Feld</translation>
    </message>
    <message>
        <source>Name each file by the value of the field on the right</source>
        <translation>Jede Datei nach dem Wert des Feldes rechts benennen</translation>
    </message>
    <message>
        <source>The field whose value names each file</source>
        <translation>Das Feld, dessen Wert jede Datei benennt</translation>
    </message>
    <message>
        <source>generate file name by template and incremental</source>
        <translation>Dateiname aus Muster und laufender Nummer</translation>
    </message>
    <message>
        <source>Name each file by the name template on the right</source>
        <translation>Jede Datei nach dem Namensmuster rechts benennen</translation>
    </message>
    <message>
        <source>The name template: each &quot;?&quot; becomes the record number</source>
        <translation>Das Namensmuster: jedes „?“ wird zur Nummer des Datensatzes</translation>
    </message>
    <message>
        <source>File names:</source>
        <translation>Dateinamen:</translation>
    </message>
    <message>
        <source>Advanced options:</source>
        <translation>Erweiterte Einstellungen:</translation>
    </message>
    <message>
        <source>Add file extension (if the file does not have)</source>
        <translation>Dateiendung anhängen (wenn die Datei keine hat)</translation>
    </message>
    <message>
        <source>Give generated names without an extension the extension on the right</source>
        <translation>Erzeugten Namen ohne Endung die Endung rechts anhängen</translation>
    </message>
    <message>
        <source>The extension added to names without one</source>
        <translation>Die Endung für Namen ohne Endung</translation>
    </message>
    <message>
        <source>Delete all non-Latin characters from generated names of files and folders</source>
        <translation>Alle nicht lateinischen Zeichen aus erzeugten Datei- und Ordnernamen entfernen</translation>
    </message>
    <message>
        <source>Keep only A-Z, a-z, 0-9, &quot;.&quot; and &quot;/&quot; in generated names; the output folder itself is never changed</source>
        <translation>In erzeugten Namen nur A-Z, a-z, 0-9, „.“ und „/“ behalten; der Ausgabeordner selbst bleibt unverändert</translation>
    </message>
    <message>
        <source>Change case of generated file</source>
        <translation>Groß-/Kleinschreibung erzeugter Dateien ändern</translation>
    </message>
    <message>
        <source>Change the letter case of generated names as chosen on the right</source>
        <translation>Die Schreibung erzeugter Namen wie rechts gewählt ändern</translation>
    </message>
    <message>
        <source>small</source>
        <translation>klein</translation>
    </message>
    <message>
        <source>As Sentence</source>
        <translation>Wie im Satz</translation>
    </message>
    <message>
        <source>LARGE</source>
        <translation>GROSS</translation>
    </message>
    <message>
        <source>Every letter small</source>
        <translation>Alle Buchstaben klein</translation>
    </message>
    <message>
        <source>The first letter large, every other letter small</source>
        <translation>Der erste Buchstabe groß, alle anderen klein</translation>
    </message>
    <message>
        <source>Every letter large</source>
        <translation>Alle Buchstaben groß</translation>
    </message>
    <message>
        <source>Report Options</source>
        <translation>Berichtsoptionen</translation>
    </message>
    <message>
        <source>Choose what the six columns of report.html show</source>
        <translation>Wählen, was die sechs Spalten von report.html zeigen</translation>
    </message>
    <message>
        <source>Generate index/content file in html format</source>
        <translation>Inhaltsverzeichnis im HTML-Format erzeugen</translation>
    </message>
    <message>
        <source>Write report.html, a table of the generated files, into the output folder and open it when the run ends</source>
        <translation>report.html, eine Tabelle der erzeugten Dateien, in den Ausgabeordner schreiben und am Ende des Laufs öffnen</translation>
    </message>
    <message>
        <source>Cr&amp;eate report.htm file </source>
        <translation>report.htm &amp;erstellen </translation>
    </message>
    <message>
        <source>5) </source>
        <translation>5) </translation>
    </message>
    <message>
        <source>Select source file (csv with data)</source>
        <translation>Quelldatei wählen (CSV mit Daten)</translation>
    </message>
    <message>
        <source>Select html or text file template</source>
        <translation>HTML- oder Text-Vorlage wählen</translation>
    </message>
    <message>
        <source>HTML Files|*.html;*.htm|Text Files|*.txt|All Files (*.*)|*.*</source>
        <translation>HTML-Dateien|*.html;*.htm|Textdateien|*.txt|Alle Dateien (*.*)|*.*</translation>
    </message>
    <message>
        <source>&amp;Quoted fields</source>
        <translation>Felder in &amp;Anführungszeichen</translation>
    </message>
    <message>
        <source>Read fields as spreadsheets write them: a field in double quotes may hold the delimiter, line breaks and &quot;&quot; for a quote, so one record may span several lines</source>
        <translation>Felder so lesen, wie Tabellenkalkulationen sie schreiben: Ein Feld in doppelten Anführungszeichen darf den Feldtrenner, Zeilenumbrüche und &quot;&quot; für ein Anführungszeichen enthalten, sodass ein Datensatz mehrere Zeilen umfassen kann</translation>
    </message>
    <message>
        <source>First record holds field &amp;names</source>
        <translation>Kopfzeile mit Feldna&amp;men</translation>
    </message>
    <message>
        <source>The first record names the fields: it gets no file and no report row, and the field lists show its names beside the field numbers</source>
        <translation>Der erste Datensatz benennt die Felder: Er erhält keine Datei und keine Zeile im Bericht, und die Feldlisten zeigen seine Namen neben den Feldnummern</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>none: the bytes as they are</source>
        <translation>keine: die Bytes, wie sie sind</translation>
    </message>
    <message>
        <source>auto: found from the file</source>
        <translation>auto: aus der Datei ermittelt</translation>
    </message>
    <message>
        <source>How the data file&apos;s bytes are read: empty keeps them as they are; &quot;auto&quot; takes the byte-order mark, else UTF-8 when the file is valid UTF-8, else the encoding its bytes suggest; or pick or type an encoding name (windows-1251, ISO-8859-1, UTF-16...). The template is not converted</source>
        <translation>Wie die Bytes der Datendatei gelesen werden: Leer lässt sie, wie sie sind; „auto“ nimmt die Byte-Reihenfolge-Markierung, sonst UTF-8, wenn die Datei gültiges UTF-8 ist, sonst die Kodierung, auf die ihre Bytes hindeuten; oder einen Kodierungsnamen wählen oder eingeben (windows-1251, ISO-8859-1, UTF-16...). Die Vorlage wird nicht umgewandelt</translation>
    </message>
    <message>
        <source>Encodin&amp;g:</source>
        <translation>&amp;Kodierung:</translation>
    </message>
    <message>
        <source>Escape values for &amp;HTML</source>
        <translation>&amp;Werte für HTML maskieren</translation>
    </message>
    <message>
        <source>Write &amp;, &lt;, &gt;, &quot; and &apos; of every value inserted into the template as HTML entities, so that values show as text in an HTML page; file and folder names use the plain values</source>
        <translation>&amp;, &lt;, &gt;, &quot; und &apos; jedes in die Vorlage eingesetzten Werts als HTML-Entitäten schreiben, damit Werte in einer HTML-Seite als Text erscheinen; Datei- und Ordnernamen verwenden die unveränderten Werte</translation>
    </message>
    <message>
        <source>Name template &amp;uses the rules</source>
        <translation>Namensvorlage nutzt die Re&amp;geln</translation>
    </message>
    <message>
        <source>Replace the rules&apos; identifiers in the name template with the record&apos;s values before each &quot;?&quot; becomes the record number, so that %Last%-%First%.htm names files from two fields</source>
        <translation>Die Bezeichner der Regeln in der Namensvorlage durch die Werte des Datensatzes ersetzen, bevor jedes „?“ zur Datensatznummer wird, sodass %Last%-%First%.htm Dateien aus zwei Feldern benennt</translation>
    </message>
    <message>
        <source>Data file warnings</source>
        <translation>Warnungen zur Datendatei</translation>
    </message>
    <message>
        <source>Progress of the run</source>
        <translation>Fortschritt des Laufs</translation>
    </message>
    <message>
        <source>Name template</source>
        <translation>Namensvorlage</translation>
    </message>
    <message>
        <source>File extension</source>
        <translation>Dateiendung</translation>
    </message>
    <message>
        <source>Data Files (*.csv *.xlsx *.ods)|*.csv;*.xlsx;*.ods|Workbooks (*.xlsx *.ods)|*.xlsx;*.ods|All Files (*.*)|*.*</source>
        <translation>Datendateien (*.csv *.xlsx *.ods)|*.csv;*.xlsx;*.ods|Arbeitsmappen (*.xlsx *.ods)|*.xlsx;*.ods|Alle Dateien (*.*)|*.*</translation>
    </message>
    <message>
        <source>The data file: one record per line, its fields separated by the delimiter, or a workbook (.xlsx, .ods), one record per row of a sheet. A relative path is taken from the project file&apos;s folder. Drop a file here to choose it.</source>
        <translation>Die Datendatei: ein Datensatz je Zeile, die Felder durch den Trenner getrennt, oder eine Arbeitsmappe (.xlsx, .ods), ein Datensatz je Zeile eines Tabellenblatts. Ein relativer Pfad gilt ab dem Ordner der Projektdatei. Eine hierher gezogene Datei wird gewählt.</translation>
    </message>
    <message>
        <source>The sheet of the workbook whose rows are the records</source>
        <translation>Das Tabellenblatt der Arbeitsmappe, dessen Zeilen die Datensätze sind</translation>
    </message>
    <message>
        <source>Wor&amp;kbook sheet:</source>
        <translation>Tabellen&amp;blatt:</translation>
    </message>
</context>
<context>
    <name>stencilor::ui::RecentProjectsMenu</name>
    <message>
        <source>&amp;Open Recent</source>
        <translation>&amp;Zuletzt geöffnet</translation>
    </message>
    <message>
        <source>The project file is no longer there</source>
        <translation>Die Projektdatei ist nicht mehr vorhanden</translation>
    </message>
    <message>
        <source>&amp;Clear list</source>
        <translation>Liste &amp;leeren</translation>
    </message>
</context>
<context>
    <name>stencilor::ui::RecordPreviewDialog</name>
    <message>
        <source>Preview output</source>
        <translation>Vorschau der Ausgabe</translation>
    </message>
    <message>
        <source>The record to show (the first line of the data file is 1)</source>
        <translation>Der zu zeigende Datensatz (die erste Zeile der Datendatei ist 1)</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Generate the record again from the window&apos;s settings and files</source>
        <translation>Den Datensatz erneut aus den Einstellungen und Dateien des Fensters erzeugen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>&amp;Record</source>
        <translation>&amp;Datensatz</translation>
    </message>
    <message>
        <source>Output file: %1</source>
        <translation>Ausgabedatei: %1</translation>
    </message>
    <message>
        <source>No output file: this record gives no name</source>
        <translation>Keine Ausgabedatei: dieser Datensatz ergibt keinen Namen</translation>
    </message>
    <message>
        <source>No output file: the name would leave the output folder</source>
        <translation>Keine Ausgabedatei: der Name würde den Ausgabeordner verlassen</translation>
    </message>
    <message>
        <source>rule %1</source>
        <translation>Regel %1</translation>
    </message>
    <message>
        <source>Output text</source>
        <translation>Text der Ausgabe</translation>
    </message>
    <message>
        <source>Output as a page</source>
        <translation>Ausgabe als Seite</translation>
    </message>
    <message>
        <source>Data file read</source>
        <translation>Gelesener Teil der Datendatei</translation>
    </message>
    <message>
        <source>Stop reading the data file towards the record</source>
        <translation>Das Lesen der Datendatei bis zum Datensatz anhalten</translation>
    </message>
    <message>
        <source>Reading: %L1 of %L2 records</source>
        <translation>Lesen: %L1 von %L2 Datensätzen</translation>
    </message>
    <message>
        <source>Stopped before record %L1 was read</source>
        <translation>Angehalten, bevor Datensatz %L1 gelesen war</translation>
    </message>
</context>
<context>
    <name>stencilor::ui::RecordRangeBox</name>
    <message>
        <source>&amp;Only records</source>
        <translation>&amp;Nur Datensätze</translation>
    </message>
    <message>
        <source>Run generates only the records From to To (the first line is record 1)</source>
        <translation>Ausführen erzeugt nur die Datensätze Von bis Bis (die erste Zeile ist Datensatz 1)</translation>
    </message>
    <message>
        <source>The first record Run generates (the first line of the data file is 1)</source>
        <translation>Der erste Datensatz, den Ausführen erzeugt (die erste Zeile der Datendatei ist 1)</translation>
    </message>
    <message>
        <source>The last record Run generates</source>
        <translation>Der letzte Datensatz, den Ausführen erzeugt</translation>
    </message>
    <message>
        <source>From</source>
        <translation>Von</translation>
    </message>
    <message>
        <source>To</source>
        <translation>Bis</translation>
    </message>
</context>
<context>
    <name>stencilor::ui::RulesModel</name>
    <message>
        <source>N</source>
        <translation>N</translation>
    </message>
    <message>
        <source>Field in Data Source File</source>
        <translation>Feld in der Datenquelle</translation>
    </message>
    <message>
        <source>Field Identifier in Template file</source>
        <translation>Platzhalter in der Vorlage</translation>
    </message>
</context>
<context>
    <name>stencilor::ui::RulesPanel</name>
    <message>
        <source>Add Rule</source>
        <translation>Neue Regel</translation>
    </message>
    <message>
        <source>Add a rule for the next field at the end and edit it</source>
        <translation>Am Ende eine Regel für das nächste Feld anfügen und bearbeiten</translation>
    </message>
    <message>
        <source>Edit Rule</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Edit the current rule (also a double-click on it)</source>
        <translation>Die aktuelle Regel bearbeiten (auch per Doppelklick)</translation>
    </message>
    <message>
        <source>Insert</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Insert a rule for the next field before the current one</source>
        <translation>Eine Regel für das nächste Feld vor der aktuellen einfügen</translation>
    </message>
    <message>
        <source>Delete Rule</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Delete the current rule (Delete in the grid)</source>
        <translation>Die aktuelle Regel löschen (Entf in der Tabelle)</translation>
    </message>
    <message>
        <source>The rules in the order they are applied. Type an identifier straight into its cell; Tab leaves the grid.</source>
        <translation>Die Regeln in der Reihenfolge ihrer Anwendung. Einen Platzhalter direkt in seine Zelle tippen; Tab verlässt die Tabelle.</translation>
    </message>
    <message>
        <source>3) </source>
        <translation>3) </translation>
    </message>
    <message>
        <source>Add file generating &amp;rules</source>
        <translation>&amp;Regeln für die Dateien anlegen</translation>
    </message>
    <message>
        <source>Rules</source>
        <translation>Regeln</translation>
    </message>
</context>
<context>
    <name>stencilor::ui::TAboutForm</name>
    <message>
        <source>About</source>
        <translation>Über Stencilor</translation>
    </message>
    <message>
        <source>Stencilor</source>
        <translation>Stencilor</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Free software under the GNU General Public License, version 3 or later</source>
        <translation>Freie Software unter der GNU General Public License, Version 3 oder später</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Wait...</source>
        <translation>Bitte warten …</translation>
    </message>
    <message>
        <source>No internet connection..</source>
        <translation>Keine Internetverbindung.</translation>
    </message>
    <message>
        <source>No Internet connection..</source>
        <translation>Keine Internetverbindung.</translation>
    </message>
</context>
<context>
    <name>stencilor::ui::T_Extract</name>
    <message>
        <source>Add / Edit rule</source>
        <translation>Regel anlegen / bearbeiten</translation>
    </message>
    <message>
        <source>The field of the data file whose value replaces the identifier</source>
        <translation>Das Feld der Datendatei, dessen Wert den Platzhalter ersetzt</translation>
    </message>
    <message>
        <source>Leave the fields that other rules use out of the list</source>
        <translation>Felder, die andere Regeln benutzen, nicht aufführen</translation>
    </message>
    <message>
        <source>Field </source>
        <translation>Feld </translation>
    </message>
    <message>
        <source>Field value  (1 record from CSV)</source>
        <translation>Feldwert (1. Datensatz der CSV)</translation>
    </message>
    <message>
        <source>The field&apos;s value in the first record of the data file</source>
        <translation>Der Wert des Feldes im ersten Datensatz der Datendatei</translation>
    </message>
    <message>
        <source>Add %value% of the sample value to the identifier</source>
        <translation>Den Beispielwert als %Wert% an den Platzhalter anfügen</translation>
    </message>
    <message>
        <source>Autocreate field identifier</source>
        <translation>Feldplatzhalter erzeugen</translation>
    </message>
    <message>
        <source>Enter the variable name. For example enter %Name%, etc.. </source>
        <translation>Den Namen des Platzhalters eingeben, zum Beispiel %Name%. </translation>
    </message>
    <message>
        <source>The program will search this variable (%Name%) in your HTML template and replace with selected field from your datasource CSV file.</source>
        <translation>Das Programm sucht diesen Platzhalter (%Name%) in der HTML-Vorlage und ersetzt ihn durch das gewählte Feld der CSV-Datenquelle.</translation>
    </message>
    <message>
        <source>The identifier the run looks for in the template, such as %Name%; Ctrl+Enter starts a new line</source>
        <translation>Der Platzhalter, den der Lauf in der Vorlage sucht, etwa %Name%; Strg+Eingabe beginnt eine neue Zeile</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Select &amp;field</source>
        <translation>&amp;Feld wählen</translation>
    </message>
    <message>
        <source>&amp;hide used fields</source>
        <translation>benutzte Felder &amp;ausblenden</translation>
    </message>
    <message>
        <source>Sample value of the field</source>
        <translation>Beispielwert des Felds</translation>
    </message>
    <message>
        <source>&amp;Auto-create identifier</source>
        <translation>Platzhalter &amp;erzeugen</translation>
    </message>
    <message>
        <source>Field &amp;Identifier (variable)   in Template</source>
        <translation>&amp;Platzhalter in der Vorlage</translation>
    </message>
</context>
<context>
    <name>stencilor::ui::T_FRMain</name>
    <message>
        <source>Open output folder</source>
        <translation>Ausgabeordner öffnen</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>&amp;Load</source>
        <translation>&amp;Laden</translation>
    </message>
    <message>
        <source>Load a project file</source>
        <translation>Eine Projektdatei laden</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Neu</translation>
    </message>
    <message>
        <source>Start a new project with the settings shown, without rules</source>
        <translation>Ein neues Projekt mit den gezeigten Einstellungen beginnen, ohne Regeln</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>Save the project into its file</source>
        <translation>Das Projekt in seine Datei speichern</translation>
    </message>
    <message>
        <source>Save &amp;As</source>
        <translation>Speichern &amp;unter</translation>
    </message>
    <message>
        <source>Save the project into a file of another name</source>
        <translation>Das Projekt unter einem anderen Dateinamen speichern</translation>
    </message>
    <message>
        <source>&amp;Run</source>
        <translation>&amp;Ausführen</translation>
    </message>
    <message>
        <source>Generate one file per record</source>
        <translation>Eine Datei je Datensatz erzeugen</translation>
    </message>
    <message>
        <source>S&amp;top</source>
        <translation>Sto&amp;pp</translation>
    </message>
    <message>
        <source>Stop the run after the record in progress</source>
        <translation>Den Lauf nach dem laufenden Datensatz anhalten</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Close the window (it asks first when the project has changed)</source>
        <translation>Das Fenster schließen (fragt vorher, wenn das Projekt geändert ist)</translation>
    </message>
    <message>
        <source>About Stencilor</source>
        <translation>Über Stencilor</translation>
    </message>
    <message>
        <source>&amp;Check</source>
        <translation>&amp;Prüfen</translation>
    </message>
    <message>
        <source>Check what a run would write, without writing</source>
        <translation>Prüfen, was ein Lauf schreiben würde, ohne zu schreiben</translation>
    </message>
    <message>
        <source>&amp;Preview output</source>
        <translation>&amp;Vorschau der Ausgabe</translation>
    </message>
    <message>
        <source>Show the file one record would get, without writing it</source>
        <translation>Die Datei zeigen, die ein Datensatz bekäme, ohne sie zu schreiben</translation>
    </message>
    <message>
        <source>&amp;Project</source>
        <translation>&amp;Projekt</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>E&amp;xtras</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Project file</source>
        <translation>Projektdatei</translation>
    </message>
    <message>
        <source>The project file that Save writes</source>
        <translation>Die Projektdatei, in die Speichern schreibt</translation>
    </message>
    <message>
        <source>%1[*] — Stencilor %2</source>
        <translation>%1[*] — Stencilor %2</translation>
    </message>
    <message>
        <source>%1 of %2 records</source>
        <translation>%1 von %2 Datensätzen</translation>
    </message>
    <message>
        <source>%1 of %2 records — %3 files/s</source>
        <translation>%1 von %2 Datensätzen — %3 Dateien/s</translation>
    </message>
    <message>
        <source>Load Project</source>
        <translation>Projekt laden</translation>
    </message>
    <message>
        <source>Project Files (*.ql)|*.ql|All Files (*.*)|*.*</source>
        <translation>Projektdateien (*.ql)|*.ql|Alle Dateien (*.*)|*.*</translation>
    </message>
    <message>
        <source>Save Project</source>
        <translation>Projekt speichern</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 gibt es schon.
Soll die Datei ersetzt werden?</translation>
    </message>
    <message>
        <source>Attention</source>
        <translation>Achtung</translation>
    </message>
    <message>
        <source>Save project</source>
        <translation>Projekt speichern?</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Bestätigen</translation>
    </message>
    <message>
        <source>Add default rules ?</source>
        <translation>Standardregeln anlegen?</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>No text editor was found to open the template.</source>
        <translation>Es wurde kein Texteditor gefunden, der die Vorlage öffnet.</translation>
    </message>
    <message>
        <source>Choose a default application for plain text files in the desktop&apos;s settings, or set the environment variable $VISUAL to the command of an editor.</source>
        <translation>In den Einstellungen des Desktops eine Standardanwendung für Textdateien wählen oder die Umgebungsvariable $VISUAL auf den Befehl eines Editors setzen.</translation>
    </message>
    <message>
        <source>No internet connection..</source>
        <translation>Keine Internetverbindung.</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <comment>the command that shows the about box</comment>
        <translation>&amp;Über Stencilor</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <comment>the menu that holds About</comment>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>The window closes when the run ends</source>
        <translation>Das Fenster schließt sich, wenn der Lauf endet</translation>
    </message>
    <message>
        <source>Tried: %1.</source>
        <translation>Versucht: %1.</translation>
    </message>
    <message>
        <source>%1 — the window closes when the run ends</source>
        <translation>%1 — das Fenster schließt sich, wenn der Lauf endet</translation>
    </message>
    <message>
        <source>Stopped before record %1 — %2</source>
        <translation>Angehalten vor Datensatz %1 — %2</translation>
    </message>
    <message>
        <source>Stopped after record %1 — %2</source>
        <translation>Angehalten nach Datensatz %1 — %2</translation>
    </message>
    <message>
        <source>No file manager was found to show the output folder.</source>
        <translation>Es wurde keine Dateiverwaltung gefunden, die den Ausgabeordner zeigen kann.</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Data file read</source>
        <translation>Gelesener Teil der Datendatei</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Stop reading the data file; its field names and warnings are not shown</source>
        <translation>Das Lesen der Datendatei abbrechen; ihre Feldnamen und Warnungen werden nicht angezeigt</translation>
    </message>
    <message>
        <source>Reading the data file: %1 of %2</source>
        <translation>Datendatei wird gelesen: %1 von %2</translation>
    </message>
    <message>
        <source>Reading the data file: %1</source>
        <translation>Datendatei wird gelesen: %1</translation>
    </message>
    <message>
        <source>The data file was not read to its end: its field names are not shown</source>
        <translation>Die Datendatei wurde nicht bis zum Ende gelesen: ihre Feldnamen werden nicht angezeigt</translation>
    </message>
</context>
<context>
    <name>stencilor::ui::TformSetupReport</name>
    <message>
        <source>Content file report options</source>
        <translation>Einstellungen des Inhaltsverzeichnisses</translation>
    </message>
    <message>
        <source>Select fields you want to use in the content file:</source>
        <translation>Felder für das Inhaltsverzeichnis wählen:</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Column &amp;%1</source>
        <translation>Spalte &amp;%1</translation>
    </message>
    <message>
        <source>%1: the link to the file; %2: that field of the record; anything else: an empty column</source>
        <translation>%1: der Link zur Datei; %2: dieses Feld des Datensatzes; alles andere: eine leere Spalte</translation>
    </message>
    <message>
        <source>Field n</source>
        <translation>Feld n</translation>
    </message>
</context>
<context>
    <name>stencilor::ui::TformViewCsv</name>
    <message>
        <source>Preview file</source>
        <translation>Dateivorschau</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Records of the data file</source>
        <translation>Datensätze der Datendatei</translation>
    </message>
    <message>
        <source>Data file read</source>
        <translation>Gelesener Teil der Datendatei</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Stop reading the data file; the records read so far stay shown</source>
        <translation>Das Lesen der Datendatei beenden; die bisher gelesenen Datensätze bleiben sichtbar</translation>
    </message>
    <message>
        <source>Reading the data file: %L1 records</source>
        <translation>Datendatei wird gelesen: %L1 Datensätze</translation>
    </message>
    <message>
        <source>Stopped after %L1 records</source>
        <translation>Nach %L1 Datensätzen angehalten</translation>
    </message>
</context>
<context>
    <name>stencilor::ui::WorkProgress</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Counting records: %L1</source>
        <translation>Datensätze werden gezählt: %L1</translation>
    </message>
</context>
</TS>
