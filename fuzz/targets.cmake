# One line per fuzz target: its name and the core sources (under src/) it links.
kelvora_add_fuzzer(evaluate text/Evaluator.cpp platform/Numbers.cpp)
kelvora_add_fuzzer(merge assembly/MergeEngine.cpp assembly/IndexedMerge.cpp text/Evaluator.cpp text/StringManager.cpp platform/Numbers.cpp platform/Cp1252.cpp)
kelvora_add_fuzzer(rtf2html rtf2html/LineBuffer.cpp rtf2html/HtmlWriter.cpp rtf2html/Formatting.cpp rtf2html/GroupScanner.cpp rtf2html/DocumentTables.cpp rtf2html/TableReader.cpp)
kelvora_add_qt_fuzzer(richedit richedit/RtfCodePage.cpp richedit/RtfTokenizer.cpp richedit/RtfField.cpp richedit/RtfPicture.cpp richedit/RtfReader.cpp richedit/RtfDocumentBuilder.cpp richedit/RtfKeptObject.cpp richedit/RtfWriter.cpp richedit/ListNumbers.cpp platform/Cp1252.cpp)
kelvora_add_fuzzer(package assembly/PackageTemplate.cpp assembly/XmlRunText.cpp assembly/RunMerge.cpp assembly/ZipPackage.cpp assembly/CheckTemplate.cpp assembly/MergeMessages.cpp assembly/MergeEngine.cpp assembly/IndexedMerge.cpp text/Evaluator.cpp text/StringManager.cpp platform/Numbers.cpp platform/Cp1252.cpp LIBS -lzip -lpugixml)
