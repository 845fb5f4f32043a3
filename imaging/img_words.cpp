#include "imaging/img_words.h"

#include <array>
#include <cstdlib>
#include <cstring>

namespace {

using Row = std::array<const char*, ImgWordCount>;

const Row kEnglish = {
    "Preview", "Source", "Result", "OK", "Cancel", "Lock preview", "Copy Result to Source",
    "Contrast", "Brightness", "Hue", "Saturation", "Value", "Base color", "New color",
    "Luminosity", "Red", "Green", "Blue", "Filter values", "Presets", "Divisor", "Load", "Save",
    "Equalization", "Threshold", "Equalize", "Histogram", "Gray", "Light", "Left", "Top", "Width",
    "Height", "Color", "Source image quantity", "Lens", "Refraction", "Parameters Preview",
    "Quality", "DCT method", "Smoothing factor", "Gray scale", "Optimal Huffman", "Original size",
    "Compressed size", "Advanced", "Progressive", "Compression", "Image index", "Photometric",
    "Scanned document info", "Name", "Description", "Page name", "Page number", "of",
    "Horiz. Position (inch)", "Vert. Position (inch)", "Colors", "Transparent",
    "Transparent color", "Interlaced", "Background", "Horiz. Position", "Vert. Position",
    "Delay time", "Filter", "Wave", "Amplitude", "Wave length", "Phase", "Reflective",
    "User filter", "Morphing filters", "Window size", "Maximum", "Minimum", "Opening", "Closing",
    "Rotate", "Flip", "Horizontal", "Vertical", "Frequency domain image",
    "Select the region to clean", "Clear", "Reset"};

const Row kItalian = {
    "Anteprima", "Sorgente", "Risultato", "OK", "Annulla", "Blocca anteprima",
    "Copia risultato nella sorgente", "Contrasto", "Luminosità", "Tonalità", "Saturazione",
    "Valore", "Colore base", "Nuovo colore", "Luminanza", "Rosso", "Verde", "Blu",
    "Valori del filtro", "Predefiniti", "Divisore", "Carica", "Salva", "Equalizzazione", "Soglia",
    "Equalizza", "Istogramma", "Grigio", "Luce", "Sinistra", "Alto", "Larghezza", "Altezza",
    "Colore", "Quantità immagine sorgente", "Lente", "Rifrazione", "Anteprima parametri",
    "Qualità", "Metodo DCT", "Fattore di smussatura", "Scala di grigi", "Huffman ottimale",
    "Dimensione originale", "Dimensione compressa", "Avanzate", "Progressivo", "Compressione",
    "Indice immagine", "Fotometria", "Info documento acquisito", "Nome", "Descrizione",
    "Nome pagina", "Numero pagina", "di", "Posiz. orizz. (pollici)", "Posiz. vert. (pollici)",
    "Colori", "Trasparente", "Colore trasparente", "Interlacciato", "Sfondo", "Posiz. orizz.",
    "Posiz. vert.", "Tempo di ritardo", "Filtro", "Onda", "Ampiezza", "Lunghezza d'onda", "Fase",
    "Riflettente", "Filtro utente", "Filtri morfologici", "Dimensione finestra", "Massimo",
    "Minimo", "Apertura", "Chiusura", "Ruota", "Capovolgi", "Orizzontale", "Verticale",
    "Immagine nel dominio della frequenza", "Seleziona la zona da pulire", "Pulisci",
    "Ripristina"};

const Row kGerman = {
    "Vorschau", "Quelle", "Ergebnis", "OK", "Abbrechen", "Vorschau sperren",
    "Ergebnis in Quelle kopieren", "Kontrast", "Helligkeit", "Farbton", "Sättigung", "Wert",
    "Grundfarbe", "Neue Farbe", "Luminanz", "Rot", "Grün", "Blau", "Filterwerte", "Vorgaben",
    "Divisor", "Laden", "Speichern", "Tonwertausgleich", "Schwellenwert", "Ausgleichen",
    "Histogramm", "Grau", "Licht", "Links", "Oben", "Breite", "Höhe", "Farbe",
    "Anteil des Quellbilds", "Linse", "Brechung", "Parametervorschau", "Qualität",
    "DCT-Methode", "Glättungsfaktor", "Graustufen", "Optimales Huffman", "Originalgröße",
    "Komprimierte Größe", "Erweitert", "Progressiv", "Kompression", "Bildindex", "Photometric",
    "Info zum gescannten Dokument", "Name", "Beschreibung", "Seitenname", "Seitennummer", "von",
    "Horiz. Position (Zoll)", "Vert. Position (Zoll)", "Farben", "Transparent",
    "Transparente Farbe", "Zeilensprung", "Hintergrund", "Horiz. Position", "Vert. Position",
    "Verzögerung", "Filter", "Welle", "Amplitude", "Wellenlänge", "Phase", "Spiegelnd",
    "Benutzerfilter", "Morphologische Filter", "Fenstergröße", "Maximum", "Minimum", "Öffnen",
    "Schließen", "Drehen", "Spiegeln", "Horizontal", "Vertikal", "Bild im Frequenzbereich",
    "Zu bereinigenden Bereich wählen", "Löschen", "Zurücksetzen"};

const Row kSpanish = {
    "Vista previa", "Origen", "Resultado", "Aceptar", "Cancelar", "Bloquear vista previa",
    "Copiar resultado en origen", "Contraste", "Brillo", "Tono", "Saturación", "Valor",
    "Color base", "Color nuevo", "Luminosidad", "Rojo", "Verde", "Azul", "Valores del filtro",
    "Predefinidos", "Divisor", "Cargar", "Guardar", "Ecualización", "Umbral", "Ecualizar",
    "Histograma", "Gris", "Luz", "Izquierda", "Arriba", "Ancho", "Alto", "Color",
    "Cantidad de imagen origen", "Lente", "Refracción", "Vista previa de parámetros", "Calidad",
    "Método DCT", "Factor de suavizado", "Escala de grises", "Huffman óptimo", "Tamaño original",
    "Tamaño comprimido", "Avanzado", "Progresivo", "Compresión", "Índice de imagen",
    "Fotometría", "Información del documento escaneado", "Nombre", "Descripción",
    "Nombre de página", "Número de página", "de", "Posición horiz. (pulgadas)",
    "Posición vert. (pulgadas)", "Colores", "Transparente", "Color transparente", "Entrelazado",
    "Fondo", "Posición horiz.", "Posición vert.", "Tiempo de retardo", "Filtro", "Onda",
    "Amplitud", "Longitud de onda", "Fase", "Reflectante", "Filtro de usuario",
    "Filtros morfológicos", "Tamaño de ventana", "Máximo", "Mínimo", "Apertura", "Cierre",
    "Girar", "Voltear", "Horizontal", "Vertical", "Imagen en el dominio de la frecuencia",
    "Seleccione la zona a limpiar", "Borrar", "Restablecer"};

const Row kFrench = {
    "Aperçu", "Source", "Résultat", "OK", "Annuler", "Verrouiller l'aperçu",
    "Copier le résultat dans la source", "Contraste", "Luminosité", "Teinte", "Saturation",
    "Valeur", "Couleur de base", "Nouvelle couleur", "Luminance", "Rouge", "Vert", "Bleu",
    "Valeurs du filtre", "Préréglages", "Diviseur", "Charger", "Enregistrer", "Égalisation",
    "Seuil", "Égaliser", "Histogramme", "Gris", "Lumière", "Gauche", "Haut", "Largeur",
    "Hauteur", "Couleur", "Quantité d'image source", "Lentille", "Réfraction",
    "Aperçu des paramètres", "Qualité", "Méthode DCT", "Facteur de lissage", "Niveaux de gris",
    "Huffman optimal", "Taille d'origine", "Taille compressée", "Avancé", "Progressif",
    "Compression", "Index de l'image", "Photométrie", "Infos du document numérisé", "Nom",
    "Description", "Nom de la page", "Numéro de page", "sur", "Position horiz. (pouces)",
    "Position vert. (pouces)", "Couleurs", "Transparent", "Couleur transparente", "Entrelacé",
    "Arrière-plan", "Position horiz.", "Position vert.", "Délai", "Filtre", "Onde", "Amplitude",
    "Longueur d'onde", "Phase", "Réfléchissant", "Filtre utilisateur", "Filtres morphologiques",
    "Taille de la fenêtre", "Maximum", "Minimum", "Ouverture", "Fermeture", "Rotation",
    "Retourner", "Horizontal", "Vertical", "Image dans le domaine fréquentiel",
    "Sélectionnez la zone à nettoyer", "Effacer", "Réinitialiser"};

const Row kPortuguese = {
    "Pré-visualização", "Origem", "Resultado", "OK", "Cancelar", "Bloquear pré-visualização",
    "Copiar resultado para a origem", "Contraste", "Brilho", "Matiz", "Saturação", "Valor",
    "Cor base", "Nova cor", "Luminosidade", "Vermelho", "Verde", "Azul", "Valores do filtro",
    "Predefinições", "Divisor", "Carregar", "Salvar", "Equalização", "Limiar", "Equalizar",
    "Histograma", "Cinza", "Luz", "Esquerda", "Topo", "Largura", "Altura", "Cor",
    "Quantidade da imagem de origem", "Lente", "Refração", "Pré-visualização dos parâmetros",
    "Qualidade", "Método DCT", "Fator de suavização", "Escala de cinza", "Huffman otimizado",
    "Tamanho original", "Tamanho comprimido", "Avançado", "Progressivo", "Compressão",
    "Índice da imagem", "Fotometria", "Informações do documento digitalizado", "Nome",
    "Descrição", "Nome da página", "Número da página", "de", "Posição horiz. (polegadas)",
    "Posição vert. (polegadas)", "Cores", "Transparente", "Cor transparente", "Entrelaçado",
    "Fundo", "Posição horiz.", "Posição vert.", "Tempo de espera", "Filtro", "Onda", "Amplitude",
    "Comprimento de onda", "Fase", "Refletivo", "Filtro do usuário", "Filtros morfológicos",
    "Tamanho da janela", "Máximo", "Mínimo", "Abertura", "Fechamento", "Girar", "Inverter",
    "Horizontal", "Vertical", "Imagem no domínio da frequência", "Selecione a área a limpar",
    "Limpar", "Redefinir"};

const Row kGreek = {
    "Προεπισκόπηση", "Πηγή", "Αποτέλεσμα", "OK", "Άκυρο", "Κλείδωμα προεπισκόπησης",
    "Αντιγραφή αποτελέσματος στην πηγή", "Αντίθεση", "Φωτεινότητα", "Απόχρωση", "Κορεσμός",
    "Τιμή", "Βασικό χρώμα", "Νέο χρώμα", "Λαμπρότητα", "Κόκκινο", "Πράσινο", "Μπλε",
    "Τιμές φίλτρου", "Προεπιλογές", "Διαιρέτης", "Φόρτωση", "Αποθήκευση", "Εξισορρόπηση",
    "Κατώφλι", "Εξισορρόπησε", "Ιστόγραμμα", "Γκρι", "Φως", "Αριστερά", "Πάνω", "Πλάτος",
    "Ύψος", "Χρώμα", "Ποσοστό εικόνας πηγής", "Φακός", "Διάθλαση", "Προεπισκόπηση παραμέτρων",
    "Ποιότητα", "Μέθοδος DCT", "Συντελεστής εξομάλυνσης", "Κλίμακα του γκρι",
    "Βέλτιστο Huffman", "Αρχικό μέγεθος", "Συμπιεσμένο μέγεθος", "Για προχωρημένους",
    "Προοδευτική", "Συμπίεση", "Δείκτης εικόνας", "Φωτομετρία",
    "Πληροφορίες σαρωμένου εγγράφου", "Όνομα", "Περιγραφή", "Όνομα σελίδας", "Αριθμός σελίδας",
    "από", "Οριζ. θέση (ίντσες)", "Κατακ. θέση (ίντσες)", "Χρώματα", "Διαφανές",
    "Διαφανές χρώμα", "Πεπλεγμένη", "Φόντο", "Οριζ. θέση", "Κατακ. θέση",
    "Χρόνος καθυστέρησης", "Φίλτρο", "Κύμα", "Πλάτος ταλάντωσης", "Μήκος κύματος", "Φάση",
    "Ανακλαστικό", "Φίλτρο χρήστη", "Μορφολογικά φίλτρα", "Μέγεθος παραθύρου", "Μέγιστο",
    "Ελάχιστο", "Άνοιγμα", "Κλείσιμο", "Περιστροφή", "Αναστροφή", "Οριζόντια", "Κατακόρυφα",
    "Εικόνα στο πεδίο συχνοτήτων", "Επιλέξτε την περιοχή προς καθαρισμό", "Καθαρισμός",
    "Επαναφορά"};

// Rows msEnglish (1) .. msUser (8); msSystem has no row of its own.
using Table = std::array<std::array<std::string, ImgWordCount>, 8>;

Table& WordTable() {
    static Table table;
    static bool filled = false;
    if (!filled) {
        filled = true;
        FillImgWordTable();
    }
    return table;
}

bool ValidIndex(Integer i) { return i >= 0 && i < ImgWordCount; }
bool HasRow(TMsgLanguage l) { return l >= msEnglish && l <= msUser; }

int g_languageOverride = -1;

Integer LanguageIdOfCode(const char* code) {
    struct Entry {
        const char* code;
        Integer id;
    };
    static const Entry kIds[] = {
        {"ar", 1},  {"bg", 2},  {"ca", 3},  {"zh", 4},  {"cs", 5},  {"da", 6},  {"de", 7},
        {"el", 8},  {"en", 9},  {"es", 10}, {"fi", 11}, {"fr", 12}, {"he", 13}, {"hu", 14},
        {"is", 15}, {"it", 16}, {"ja", 17}, {"ko", 18}, {"nl", 19}, {"nb", 20}, {"nn", 20},
        {"no", 20}, {"pl", 21}, {"pt", 22}, {"ro", 24}, {"ru", 25}, {"hr", 26}, {"sk", 27},
        {"sq", 28}, {"sv", 29}, {"th", 30}, {"tr", 31}, {"id", 33}, {"uk", 34}, {"sl", 36},
        {"et", 37}, {"lv", 38}, {"lt", 39}};
    // "C" and "POSIX" are the plain English locale.
    if (std::strcmp(code, "C") == 0 || std::strcmp(code, "POSIX") == 0) return 9;
    for (const Entry& e : kIds)
        if (std::strcmp(code, e.code) == 0) return e.id;
    return 0;
}

}  // namespace

void FillImgWordTable() {
    static const Row* const kRows[] = {&kEnglish, &kItalian, &kGerman,   &kSpanish,
                                       &kFrench,  &kPortuguese, &kGreek};
    for (int lang = msEnglish; lang <= msGreek; ++lang)
        for (Integer i = 0; i < ImgWordCount; ++i)
            SetImgWord(TMsgLanguage(lang), i, (*kRows[lang - msEnglish])[i]);
}

void SetImgWord(TMsgLanguage Language, Integer WordIndex, const std::string& Text) {
    if (!HasRow(Language) || !ValidIndex(WordIndex)) return;
    WordTable()[Language - msEnglish][WordIndex] = Text;
}

std::string GetImgWord(Integer WordIndex, TMsgLanguage Language) {
    if (!ValidIndex(WordIndex)) return {};
    Table& table = WordTable();
    if (Language == msSystem) return table[ImgSystemLanguage() - msEnglish][WordIndex];
    if (!HasRow(Language)) Language = msEnglish;
    const std::string& cell = table[Language - msEnglish][WordIndex];
    if (cell.empty()) return table[msEnglish - msEnglish][WordIndex];
    return cell;
}

Integer ImgUserPrimaryLanguage() {
    if (g_languageOverride >= 0) return g_languageOverride;
    const char* value = nullptr;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(name);
        if (v && *v) {
            value = v;
            break;
        }
    }
    if (!value) return 9;
    // "de_DE.UTF-8", "pt_BR", "el", "C.UTF-8": the language code is what precedes '_', '.' or '@'.
    char code[16] = {};
    size_t n = std::strcspn(value, "_.@");
    if (n == 0 || n >= sizeof code) return 0;
    std::memcpy(code, value, n);
    return LanguageIdOfCode(code);
}

void SetImgUserPrimaryLanguageOverride(Integer Id) { g_languageOverride = Id < 0 ? -1 : Id; }

TMsgLanguage ImgSystemLanguage() {
    switch (ImgUserPrimaryLanguage()) {
    case 7: return msGerman;
    case 8: return msGreek;
    case 10: return msSpanish;
    case 12: return msFrench;
    case 16: return msItalian;
    case 22: return msPortuguese;
    default: return msEnglish;
    }
}
