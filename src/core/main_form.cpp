#include "core/main_form.h"

#include <string_view>
#include <utility>

#include "core/app.h"
#include "core/number_text.h"
#include "core/settings.h"

namespace ulz {
namespace {

struct HelpText {
    std::string_view button;
    const char* text;
};

constexpr HelpText kHelpTexts[] = {
    {"bitPing",
     "Test destiné à recencer la fréquence des microcoupures sur une période étendue, ou les "
     "performances sur un serveur spécifique.\r\nLe premier serveur de la liste est le plus adapté "
     "pour tester les performances du modem."},
    {"bitPZelk",
     "Benchmark destiné à tester les perfomances de votre modem ET des peerings de votre FAI sur "
     "différents serveurs.\r\nLe résultat ne reflète donc pas uniquement les performances du "
     "modem."},
    {"bitAna",
     "Analyse de la connection en se basant sur les transferts en cour.\r\nConseil n°1 : Pour "
     "profiter du calcul de pertes et de l'analyse burst complète, coupez tout transfert et lancer "
     "le chargement d'un fichier test.\r\nConseil n°2 : Sinon, assurez vous que le serveur 'en "
     "face' soit suffisament rapide. L'analyse du burst pourra être faussée."},
    {"bitCharg",
     "Charger un fichier sur un serveur recommandé. Le nom du fichier détermine sa taille : "
     "fic1M=1mo, fic4M=4mo etc."},
    {"bitReset", "Remettre la prise de mesure à zéro."},
    {"bitTBench",
     "Procédure de test automatisée : Benchmark destiné à tester divers aspects des performances "
     "du modem, de votre ligne et de votre configuration : débit, stabilité, performances "
     "maximales théoriques.\r\nImportant : stoppez tout autre tranfert."},
    {"bitExpl",
     "Analyse avancée :\r\n-Instabilité (le plus faible est le mieux) : Calcul un rapport d'écart "
     "avec la moyenne. Une bonne stabilité correspond à un résultat <1.\r\n-Perfs burst (le plus "
     "élevé est le mieux) : Calcul la capacité du modem à transférer un maximum de données en un "
     "minimum de temps. Un indice de 5 montre une bonne connection (le serveur de test influence "
     "grandement le résultat ; test valable pour des débits < Vitesse_Max_Modem / 10).\r\n-Débit "
     "Max théorique : basé sur les résultats du calcul précédent, le résultat donne le débit "
     "maximal du modem sans bride. Un bon score est >300ko/s."},
};

}  // namespace

MainForm::MainForm(App& app) : app_(app), pinger_(app.services.pinger) {
    LoadIniF();
    ListInterfaces();
    cbIf.select(app_.services.perso.readInteger("perso", "interface", 2));
}

void MainForm::LoadIniF() {
    IniFile& config = app_.services.config;
    host.items.push_back(config.readString("ping", "2", kDefaultPingHost));
    host.text = config.readString("ping", "2", kDefaultPingHost);
    for (int i = 4; i <= config.readInteger("ping", "1", 6); ++i) {
        host.items.push_back(config.readString("ping", intToStr(i), kDefaultPingHost));
    }
    for (int j = 1; j <= config.readInteger("ftp", "0", 1); ++j) {
        cbFic.items.push_back(config.readString("ftp", intToStr(j), "Erreur"));
    }
    cbFic.select(0);
}

void MainForm::Configurer1Click() {
    app_.Opts.window.visible = true;
    window.enabled = false;
}

void MainForm::Vrfierauthenticit1Click() {
    app_.Auth.window.visible = true;
    window.enabled = false;
}

void MainForm::N1Click() {
    app_.services.messages.showMessage("UlvekLineZelk 2002\r\nby Tovrin");
}

void MainForm::bitPingClick(const std::string& sender) {
    for (const HelpText& help : kHelpTexts) {
        if (help.button == sender) {
            app_.services.messages.showMessage(help.text);
            return;
        }
    }
}

void MainForm::FormClose() {
    app_.services.perso.writeInteger("perso", "interface", cbIf.itemIndex);
}

}  // namespace ulz
