# One line per fuzz target: its name and the core sources (under src/) it links.
kelvora_add_fuzzer(evaluate text/Evaluator.cpp platform/Numbers.cpp)
kelvora_add_fuzzer(merge assembly/MergeEngine.cpp assembly/IndexedMerge.cpp text/Evaluator.cpp text/StringManager.cpp platform/Numbers.cpp platform/Cp1252.cpp platform/IconvRun.cpp)
kelvora_add_fuzzer(rtf2html rtf2html/LineBuffer.cpp rtf2html/ControlWords.cpp rtf2html/HtmlWriter.cpp rtf2html/Formatting.cpp rtf2html/ForeignText.cpp rtf2html/GroupScanner.cpp rtf2html/DocumentTables.cpp rtf2html/TableReader.cpp)
# Metafile pictures are drawn by libwmf and libemf2svg.
find_package(PkgConfig REQUIRED)
pkg_check_modules(FuzzWmf REQUIRED libwmf)
find_library(EMF2SVG_LIBRARY emf2svg REQUIRED)
kelvora_add_qt_fuzzer(rtf rtf/RtfCodePage.cpp rtf/RtfTokenizer.cpp rtf/RtfField.cpp rtf/RtfPicture.cpp rtf/RtfMetafile.cpp rtf/RtfReader.cpp rtf/RtfReadDestinations.cpp rtf/RtfReadText.cpp rtf/RtfReadFormats.cpp rtf/RtfReadTables.cpp rtf/RtfReadLists.cpp rtf/RtfReadFields.cpp rtf/RtfReadPictures.cpp rtf/RtfDocumentBuilder.cpp rtf/RtfKeptObject.cpp rtf/RtfWriter.cpp rtf/RtfWriteLists.cpp rtf/RtfWriteTables.cpp rtf/RtfWriteParagraphs.cpp rtf/RtfWriteText.cpp rtf/ListNumbers.cpp platform/Cp1252.cpp platform/IconvRun.cpp platform/CodePages.cpp
  LIBS Qt6::Svg ${FuzzWmf_LINK_LIBRARIES} ${EMF2SVG_LIBRARY}
  INCLUDES ${FuzzWmf_INCLUDE_DIRS})
kelvora_add_fuzzer(package assembly/PackageTemplate.cpp assembly/XmlRunText.cpp assembly/RunMerge.cpp assembly/ZipPackage.cpp assembly/CheckTemplate.cpp assembly/MergeMessages.cpp assembly/MergeEngine.cpp assembly/IndexedMerge.cpp text/Evaluator.cpp text/StringManager.cpp platform/Numbers.cpp platform/Cp1252.cpp platform/IconvRun.cpp LIBS -lzip -lpugixml)
kelvora_add_fuzzer(csv assembly/CsvRows.cpp assembly/InformationText.cpp platform/Cp1252.cpp platform/IconvRun.cpp)
kelvora_add_qt_fuzzer(settings platform/IniFile.cpp platform/Registry.cpp platform/SafeWrite.cpp platform/Cp1252.cpp platform/IconvRun.cpp)
