<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="fr">
<context>
    <name>CloudKitCloudStoreTexts</name>
    <message>
        <source>Connectez-vous à iCloud pour publier vos nuits : la session iCloud de Velunora Sync n’est pas ouverte ou a expiré.</source>
        <translation>Sign in to iCloud to publish your nights: Velunora Sync’s iCloud session is not open or has expired.</translation>
    </message>
    <message>
        <source>Les données publiées ont été modifiées ailleurs entre-temps. Relancez la synchronisation.</source>
        <translation>The published data was changed elsewhere in the meantime. Please sync again.</translation>
    </message>
    <message>
        <source>Le service iCloud a envoyé une réponse illisible.</source>
        <translation>The iCloud service sent a response that could not be read.</translation>
    </message>
    <message>
        <source>dans un instant</source>
        <translation>in a moment</translation>
    </message>
    <message>
        <source>dans %1 secondes</source>
        <translation>in %1 seconds</translation>
    </message>
    <message>
        <source>dans %1 minutes</source>
        <translation>in %1 minutes</translation>
    </message>
    <message>
        <source>dans %1 heures</source>
        <translation>in %1 hours</translation>
    </message>
    <message>
        <source>Aucune donnée publiée n’a été trouvée dans iCloud.</source>
        <translation>No published data was found in iCloud.</translation>
    </message>
    <message>
        <source>Le service iCloud refuse le jeton d’API configuré pour le conteneur «&#xa0;%1&#xa0;» (environnement «&#xa0;%2&#xa0;»).</source>
        <translation>The iCloud service rejects the API token set up for the container “%1” (environment “%2”).</translation>
    </message>
    <message>
        <source>Le service iCloud refuse l’accès aux données de ce compte. Reconnectez-vous à iCloud.</source>
        <translation>The iCloud service is refusing access to this account’s data. Please sign in to iCloud again.</translation>
    </message>
    <message>
        <source>Votre stockage iCloud est plein : libérez de l’espace pour publier vos nuits.</source>
        <translation>Your iCloud storage is full: free up some space to publish your nights.</translation>
    </message>
    <message>
        <source>Le service iCloud est surchargé et demande d’attendre. Relancez la synchronisation %1.</source>
        <translation>The iCloud service is busy and asks us to wait. Please sync again %1.</translation>
    </message>
    <message>
        <source>Le service iCloud est momentanément indisponible. Relancez la synchronisation plus tard.</source>
        <translation>The iCloud service is temporarily unavailable. Please sync again later.</translation>
    </message>
    <message>
        <source>Le service iCloud a répondu par une erreur inattendue (%1).</source>
        <translation>The iCloud service replied with an unexpected error (%1).</translation>
    </message>
    <message>
        <source>Le service iCloud n’a pas terminé sa réponse en %1 s.</source>
        <translation>The iCloud service did not finish its reply within %1 s.</translation>
    </message>
    <message>
        <source>Le service iCloud ne répond plus depuis %1 s.</source>
        <translation>The iCloud service has not responded for %1 s.</translation>
    </message>
    <message>
        <source>Le service iCloud a envoyé une réponse trop volumineuse.</source>
        <translation>The iCloud service sent a response that is too large.</translation>
    </message>
    <message>
        <source>Le certificat du service iCloud n’a pas pu être vérifié. La connexion a été refusée.</source>
        <translation>The iCloud service’s certificate could not be verified. The connection was refused.</translation>
    </message>
    <message>
        <source>Aucune connexion réseau n’est disponible.</source>
        <translation>No network connection is available.</translation>
    </message>
    <message>
        <source>Le service iCloud est injoignable.</source>
        <translation>The iCloud service cannot be reached.</translation>
    </message>
    <message>
        <source>Le service iCloud renvoie vers une autre adresse (code HTTP %1).</source>
        <translation>The iCloud service is redirecting to another address (HTTP code %1).</translation>
    </message>
    <message>
        <source>Le conteneur iCloud de Velunora Sync n’est pas configuré (identifiant et jeton d’API).</source>
        <translation>Velunora Sync’s iCloud container is not set up (identifier and API token).</translation>
    </message>
    <message>
        <source>L’adresse du service iCloud «&#xa0;%1&#xa0;» n’est pas une adresse https://.</source>
        <translation>The iCloud service address “%1” is not an https:// address.</translation>
    </message>
    <message>
        <source>Le service iCloud a indiqué une adresse de transfert non chiffrée ; elle n’a pas été utilisée.</source>
        <translation>The iCloud service gave an unencrypted transfer address; it was not used.</translation>
    </message>
    <message>
        <source>Le trousseau du bureau n’est pas disponible : la session iCloud n’a pas pu être lue.</source>
        <translation>The desktop keyring is not available: the iCloud session could not be read.</translation>
    </message>
    <message>
        <source>Le service iCloud n’a pas indiqué de page de connexion.</source>
        <translation>The iCloud service did not provide a sign-in page.</translation>
    </message>
    <message>
        <source>Les données publiées dans iCloud n’ont pas de fichier «&#xa0;%1&#xa0;».</source>
        <translation>The data published in iCloud has no “%1” file.</translation>
    </message>
    <message>
        <source>Vos nuits pèsent %1 Mo une fois encodées, et iCloud n’accepte que %2 Mo par fichier : elles n’ont pas été publiées.</source>
        <translation>Your nights take up %1 MB once encoded, and iCloud only accepts %2 MB per file: they were not published.</translation>
    </message>
</context>
<context>
    <name>CloudSnapshotService</name>
    <message>
        <source>Une autre synchronisation est en cours sur cet ordinateur. Réessayez dans un instant.</source>
        <translation>Another sync is already running on this computer. Please try again in a moment.</translation>
    </message>
    <message>
        <source>Le fichier de verrou «&#xa0;%1&#xa0;» n’a pas pu être créé.</source>
        <translation>The lock file “%1” could not be created.</translation>
    </message>
</context>
<context>
    <name>CloudStoreChoiceTexts</name>
    <message>
        <source>Le dossier «&#xa0;%1&#xa0;» ne peut pas recevoir les nuits : il n’a pas pu être créé ou vous n’avez pas le droit d’y écrire.</source>
        <translation>The folder “%1” cannot take the nights: it could not be created or you may not write in it.</translation>
    </message>
    <message>
        <source>Les nuits seront publiées dans ce dossier de cet ordinateur.</source>
        <translation>The nights will be published to this folder on this computer.</translation>
    </message>
    <message>
        <source>Choisir le dossier des nuits publiées</source>
        <translation>Choose the folder of the published nights</translation>
    </message>
    <message>
        <source>Choisissez un dossier de cet ordinateur, par exemple un dossier qu’un client de synchronisation porte déjà jusqu’à votre téléphone.</source>
        <translation>Choose a folder on this computer, for example one that a sync client already carries to your phone.</translation>
    </message>
    <message>
        <source>Les nuits seront publiées sur votre serveur.</source>
        <translation>The nights will be published to your server.</translation>
    </message>
    <message>
        <source>Test de la connexion…</source>
        <translation>Testing the connection…</translation>
    </message>
    <message>
        <source>Connexion réussie : le serveur répond et accepte votre identifiant. Aucune nuit n’y est encore publiée.</source>
        <translation>Connection works: the server answers and accepts your user name. No night is published there yet.</translation>
    </message>
    <message numerus="yes">
        <source>Connexion réussie : le serveur répond et accepte votre identifiant. %1 nuits y sont publiées.</source>
        <translation>
            <numerusform>Connection works: the server answers and accepts your user name. %1 night is published there.</numerusform>
            <numerusform>Connection works: the server answers and accepts your user name. %1 nights are published there.</numerusform>
        </translation>
    </message>
    <message>
        <source>Les nuits seront publiées dans votre iCloud privé.</source>
        <translation>The nights will be published to your private iCloud.</translation>
    </message>
    <message>
        <source>Les nuits seront publiées dans votre iCloud privé dès que vous serez connecté.</source>
        <translation>The nights will be published to your private iCloud as soon as you sign in.</translation>
    </message>
    <message>
        <source>Connectez-vous dans la page ouverte dans votre navigateur.</source>
        <translation>Sign in on the page opened in your browser.</translation>
    </message>
    <message>
        <source>Déconnecté d’iCloud : plus aucune nuit n’y sera publiée avant une nouvelle connexion.</source>
        <translation>Signed out of iCloud: no night will be published there until you sign in again.</translation>
    </message>
    <message>
        <source>Ce serveur ne respecte pas les envois conditionnels. Chaque envoi y est donc relu, pour qu’aucun ordinateur n’efface les nuits d’un autre.</source>
        <translation>This server does not honour conditional uploads. Each upload is therefore read back, so that no computer erases another’s nights.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Velunora Sync : importe les nuits de la carte SD d’un appareil de PPC ResMed et les publie pour l’app du téléphone. Vit dans la zone de notification ; lancé une seconde fois, affiche son panneau.</source>
        <translation>Velunora Sync: imports the nights of the SD card of a ResMed PAP device and publishes them for the phone app. Lives in the notification area; started a second time, it shows its panel.</translation>
    </message>
    <message>
        <source>Écrit le détail de ce que fait l’app sur la sortie d’erreur, pour signaler un problème.</source>
        <translation>Writes the detail of what the app does to standard error, to report a problem.</translation>
    </message>
    <message>
        <source>Affiche cette aide et s’arrête.</source>
        <translation>Shows this help and stops.</translation>
    </message>
    <message>
        <source>Affiche la version et s’arrête.</source>
        <translation>Shows the version and stops.</translation>
    </message>
    <message>
        <source>  detect CARTE                  dit si le dossier CARTE est une carte SD prise en charge
                                et quel appareil l’a écrite
</source>
        <translation>  detect CARD                   tells whether the folder CARD is a supported SD card
                                and which device wrote it
</translation>
    </message>
    <message>
        <source>  import CARTE [--json FICHIER [--pretty]]
                                importe la carte, affiche une ligne par nuit et, avec
                                --json, écrit l’instantané JSON dans FICHIER (compact ;
                                indenté pour la lecture avec --pretty)
</source>
        <translation>  import CARD [--json FILE [--pretty]]
                                imports the card, prints one line per night and, with
                                --json, writes the JSON snapshot to FILE (compact;
                                indented for reading with --pretty)
</translation>
    </message>
    <message>
        <source>  generate DOSSIER [--nights N] [--seed S] [--first-night AAAA-MM-JJ] [--airsense11]
           [--varied] [--force]
                                écrit une carte de démonstration dans DOSSIER, vide ou
                                nouveau (--force : même s’il ne l’est pas) ; avec
                                --varied, des nuits de durées variées et quelques nuits
                                sans appareil, sinon 8 h chaque nuit
</source>
        <translation>  generate FOLDER [--nights N] [--seed S] [--first-night YYYY-MM-DD] [--airsense11]
           [--varied] [--force]
                                writes a demo card into FOLDER, empty or new
                                (--force: even when it is not); with --varied,
                                nights of varied length and a few nights without
                                the device, else 8 h every night
</translation>
    </message>
    <message>
        <source>  sync CARTE [--verbose]        synchronise la carte : import, fusion avec l’export
                                précédent, publication puis export local
</source>
        <translation>  sync CARD [--verbose]         syncs the card: import, merge with the previous
                                export, publication, then the local export
</translation>
    </message>
    <message>
        <source>  reset [--yes] [--verbose]     efface les données publiées et l’export local, après
                                confirmation (--yes la donne d’avance, requis sans
                                terminal)
</source>
        <translation>  reset [--yes] [--verbose]     erases the published data and the local export, once
                                confirmed (--yes confirms beforehand; required
                                without a terminal)
</translation>
    </message>
    <message>
        <source>  sign-in [--verbose]           connecte Velunora Sync à iCloud : affiche l’adresse
                                de connexion et attend le retour du navigateur
</source>
        <translation>  sign-in [--verbose]           signs Velunora Sync in to iCloud: prints the sign-in
                                address and waits for the browser to come back
</translation>
    </message>
    <message>
        <source>  sign-out                      ferme la session iCloud
</source>
        <translation>  sign-out                      signs out of iCloud
</translation>
    </message>
    <message>
        <source>  report [--from AAAA-MM-JJ] [--to AAAA-MM-JJ] [--pdf FICHIER] [--csv FICHIER]
         [--snapshot FICHIER]
                                affiche l’utilisation des nuits publiées sur la période
                                (par défaut les 30 jours qui finissent à la dernière nuit)
                                et écrit le rapport PDF pour le médecin et le tableau CSV
                                des nuits ; --snapshot lit un instantané JSON à la place
</source>
        <translation>  report [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--pdf FILE] [--csv FILE]
         [--snapshot FILE]
                                prints the use of the published nights over the period
                                (by default the 30 days that end with the last night)
                                and writes the PDF report for the doctor and the CSV
                                table of the nights; --snapshot reads a JSON snapshot
                                instead
</translation>
    </message>
    <message>
        <source>  help [COMMANDE]               affiche cette aide, ou celle d’une commande
</source>
        <translation>  help [COMMAND]                prints this help, or a command&apos;s
</translation>
    </message>
    <message>
        <source>Utilisation : velunora-card COMMANDE [ARGUMENTS]

Commandes :
</source>
        <translation>Usage: velunora-card COMMAND [ARGUMENTS]

Commands:
</translation>
    </message>
    <message>
        <source>
Codes de sortie : 0 réussite, 1 échec, 2 mauvaise utilisation.
</source>
        <translation>
Exit codes: 0 success, 1 failure, 2 wrong use.
</translation>
    </message>
    <message>
        <source>1 nuit</source>
        <translation>1 night</translation>
    </message>
    <message>
        <source>%1 nuits</source>
        <translation>%1 nights</translation>
    </message>
    <message>
        <source>Le dossier « %1 » n’existe pas.</source>
        <translation>The folder “%1” does not exist.</translation>
    </message>
    <message>
        <source>« %1 » n’est pas un dossier : donnez la racine de la carte.</source>
        <translation>“%1” is not a folder: give the root of the card.</translation>
    </message>
    <message>
        <source>« %1 » : </source>
        <translation>“%1”: </translation>
    </message>
    <message>
        <source>inconnu</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>numéro de série %1</source>
        <translation>serial number %1</translation>
    </message>
    <message>
        <source>Lecture de la carte…</source>
        <translation>Reading the card…</translation>
    </message>
    <message>
        <source>nuit</source>
        <translation>night</translation>
    </message>
    <message>
        <source>heures</source>
        <translation>hours</translation>
    </message>
    <message>
        <source>IAH</source>
        <translation>AHI</translation>
    </message>
    <message>
        <source>IDR</source>
        <translation>RDI</translation>
    </message>
    <message>
        <source>pression</source>
        <translation>pressure</translation>
    </message>
    <message>
        <source>fuite P95</source>
        <translation>leak P95</translation>
    </message>
    <message>
        <source>observance</source>
        <translation>compliant</translation>
    </message>
    <message>
        <source>oui</source>
        <translation>yes</translation>
    </message>
    <message>
        <source>non</source>
        <translation>no</translation>
    </message>
    <message>
        <source>--nights attend un nombre de 1 à 3660</source>
        <translation>--nights takes a number from 1 to 3660</translation>
    </message>
    <message>
        <source>--first-night attend une date AAAA-MM-JJ</source>
        <translation>--first-night takes a date YYYY-MM-DD</translation>
    </message>
    <message>
        <source>Le dossier « %1 » n’est pas vide : la carte de démonstration n’y est pas écrite. Donnez un dossier vide ou nouveau, ou ajoutez --force.</source>
        <translation>The folder “%1” is not empty: the demo card is not written there. Give an empty or new folder, or add --force.</translation>
    </message>
    <message>
        <source>Carte de démonstration écrite dans %1 :</source>
        <translation>Demo card written to %1:</translation>
    </message>
    <message>
        <source>velunora-card : option inconnue « %1 » pour « %2 »</source>
        <translation>velunora-card: unknown option “%1” for “%2”</translation>
    </message>
    <message>
        <source>velunora-card reset : efface les nuits publiées et l’export local ; sans terminal pour le confirmer, ajoutez --yes.</source>
        <translation>velunora-card reset: erases the published nights and the local export; without a terminal to confirm it, add --yes.</translation>
    </message>
    <message>
        <source>Effacer les nuits publiées et l’export local ? La carte n’est jamais touchée. [o/N]</source>
        <translation>Erase the published nights and the local export? The card is never touched. [y/N]</translation>
    </message>
    <message>
        <source>Rien n’a été effacé.</source>
        <translation>Nothing was erased.</translation>
    </message>
    <message>
        <source>velunora-card : commande inconnue « %1 »</source>
        <translation>velunora-card: unknown command “%1”</translation>
    </message>
    <message>
        <source>velunora-sync : %1</source>
        <translation>velunora-sync: %1</translation>
    </message>
</context>
<context>
    <name>HeadlessSyncTexts</name>
    <message>
        <source>Le conteneur iCloud de Velunora Sync n’est pas configuré : indiquez son identifiant et son jeton d’API dans les réglages (« icloud-container », « icloud-api-token ») ou à la compilation.</source>
        <translation>Velunora Sync’s iCloud container is not configured: give its identifier and API token in the settings (“icloud-container”, “icloud-api-token”) or when building.</translation>
    </message>
    <message>
        <source>Ouvrez cette adresse dans un navigateur de cet ordinateur pour vous connecter à iCloud :</source>
        <translation>Open this address in a browser on this computer to sign in to iCloud:</translation>
    </message>
    <message>
        <source>En attente du retour de la page de connexion…</source>
        <translation>Waiting for the sign-in page to come back…</translation>
    </message>
    <message>
        <source>Session iCloud fermée.</source>
        <translation>Signed out of iCloud.</translation>
    </message>
    <message>
        <source>Export local : %1</source>
        <translation>Local export: %1</translation>
    </message>
</context>
<context>
    <name>HistoryView</name>
    <message>
        <source>Historique des nuits</source>
        <translation>Night history</translation>
    </message>
    <message>
        <source>30 jours</source>
        <translation>30 days</translation>
    </message>
    <message>
        <source>90 jours</source>
        <translation>90 days</translation>
    </message>
    <message>
        <source>1 an</source>
        <translation>1 year</translation>
    </message>
    <message>
        <source>Tout</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Période : %1</source>
        <translation>Period: %1</translation>
    </message>
    <message>
        <source>Nuits de la période</source>
        <translation>Nights of the period</translation>
    </message>
    <message>
        <source>%1 : %2, IAH %3</source>
        <translation>%1: %2, AHI %3</translation>
    </message>
    <message>
        <source>Heures d’utilisation par nuit</source>
        <translation>Hours of use per night</translation>
    </message>
    <message>
        <source>Rapport…</source>
        <translation>Report…</translation>
    </message>
    <message>
        <source>Enregistre le rapport PDF et le tableau CSV de la période pour le médecin</source>
        <translation>Saves the PDF report and the CSV table of the period for the doctor</translation>
    </message>
    <message>
        <source>h</source>
        <translation>h</translation>
    </message>
    <message>
        <source>Heures d’utilisation par nuit, trait à 4 h</source>
        <translation>Hours of use per night, line at 4 h</translation>
    </message>
    <message>
        <source>IAH par nuit</source>
        <translation>AHI per night</translation>
    </message>
    <message>
        <source>/h</source>
        <translation>/h</translation>
    </message>
    <message>
        <source>IAH par nuit, trait à 5 par heure</source>
        <translation>AHI per night, line at 5 per hour</translation>
    </message>
    <message>
        <source>Sessions</source>
        <translation>Sessions</translation>
    </message>
    <message>
        <source>Pression (cmH₂O)</source>
        <translation>Pressure (cmH₂O)</translation>
    </message>
    <message>
        <source>Fuite (L/min)</source>
        <translation>Leak (L/min)</translation>
    </message>
    <message>
        <source>Débit (L/min), événements marqués</source>
        <translation>Flow (L/min), events marked</translation>
    </message>
    <message>
        <source>Les courbes de pression, de fuite et de débit sont gardées pour les dernières nuits seulement.</source>
        <translation>Pressure, leak and flow curves are kept for the latest nights only.</translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <source>Historique des nuits</source>
        <translation>Night history</translation>
    </message>
</context>
<context>
    <name>ICloudForm</name>
    <message>
        <source>Connecté à iCloud sur cet ordinateur.</source>
        <translation>Signed in to iCloud on this computer.</translation>
    </message>
    <message>
        <source>Pas encore connecté à iCloud sur cet ordinateur.</source>
        <translation>Not signed in to iCloud on this computer yet.</translation>
    </message>
    <message>
        <source>Se connecter à iCloud…</source>
        <translation>Sign in to iCloud…</translation>
    </message>
    <message>
        <source>Se déconnecter</source>
        <translation>Sign out</translation>
    </message>
    <message>
        <source>Publier dans iCloud</source>
        <translation>Publish to iCloud</translation>
    </message>
    <message>
        <source>Connecté au compte iCloud de %1 sur cet ordinateur.</source>
        <translation>Signed in to the iCloud account of %1 on this computer.</translation>
    </message>
</context>
<context>
    <name>ICloudSignInTexts</name>
    <message>
        <source>Le port %1 de cet ordinateur est déjà occupé : une autre connexion à iCloud est peut-être en cours.</source>
        <translation>Port %1 on this computer is already in use: another iCloud sign-in may be in progress.</translation>
    </message>
    <message>
        <source>La connexion à iCloud n’a pas abouti : la page de connexion n’a rien renvoyé en %1 minutes.</source>
        <translation>The iCloud sign-in did not complete: the sign-in page sent nothing back within %1 minutes.</translation>
    </message>
    <message>
        <source>La connexion à iCloud a réussi, mais le trousseau du bureau (Secret Service) n’a pas pu la garder : ouvrez ou déverrouillez un trousseau (GNOME Keyring, KWallet…), puis connectez-vous à nouveau.</source>
        <translation>Signing in to iCloud worked, but the desktop keyring (Secret Service) could not keep the sign-in: open or unlock a keyring (GNOME Keyring, KWallet…), then sign in again.</translation>
    </message>
    <message>
        <source>Connecté à iCloud.</source>
        <translation>Signed in to iCloud.</translation>
    </message>
    <message>
        <source>Connecté au compte iCloud de %1.</source>
        <translation>Signed in to the iCloud account of %1.</translation>
    </message>
</context>
<context>
    <name>LastNightView</name>
    <message>
        <source>Historique…</source>
        <translation>History…</translation>
    </message>
    <message>
        <source>Utilisation : %1</source>
        <translation>Use: %1</translation>
    </message>
    <message>
        <source>Au moins 4 h</source>
        <translation>At least 4 h</translation>
    </message>
    <message>
        <source>IAH %1</source>
        <translation>AHI %1</translation>
    </message>
    <message>
        <source>Fuite (95e centile) %1</source>
        <translation>Leak (95th percentile) %1</translation>
    </message>
</context>
<context>
    <name>LastSyncText</name>
    <message>
        <source>Dernière synchronisation : aujourd’hui à %1</source>
        <translation>Last sync: today at %1</translation>
    </message>
    <message>
        <source>Dernière synchronisation : hier à %1</source>
        <translation>Last sync: yesterday at %1</translation>
    </message>
    <message>
        <source>Dernière synchronisation : le %1 à %2</source>
        <translation>Last sync: %1 at %2</translation>
    </message>
</context>
<context>
    <name>LocalCloudStoreTexts</name>
    <message>
        <source>Le disque est plein : les données n’ont pas pu être enregistrées dans le dossier «&#xa0;%1&#xa0;».</source>
        <translation>The disk is full: the data could not be saved in the folder “%1”.</translation>
    </message>
    <message>
        <source>Les données n’ont pas pu être enregistrées dans le dossier «&#xa0;%1&#xa0;».</source>
        <translation>The data could not be saved in the folder “%1”.</translation>
    </message>
    <message>
        <source>Le dossier «&#xa0;%1&#xa0;» contient des données publiées illisibles.</source>
        <translation>The folder “%1” contains published data that cannot be read.</translation>
    </message>
    <message>
        <source>Le dossier «&#xa0;%1&#xa0;» est occupé par un autre programme. Réessayez dans un instant.</source>
        <translation>The folder “%1” is being used by another program. Please try again in a moment.</translation>
    </message>
    <message>
        <source>Aucune donnée publiée n’a été trouvée dans le dossier «&#xa0;%1&#xa0;».</source>
        <translation>No published data was found in the folder “%1”.</translation>
    </message>
    <message>
        <source>Les données publiées ont été modifiées ailleurs entre-temps. Relancez la synchronisation.</source>
        <translation>The published data was changed elsewhere in the meantime. Please sync again.</translation>
    </message>
    <message>
        <source>Le nom «&#xa0;%1&#xa0;» ne convient pas à un enregistrement.</source>
        <translation>The name “%1” cannot be used for a record.</translation>
    </message>
</context>
<context>
    <name>LocalFolderForm</name>
    <message>
        <source>Dossier</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>Choisissez un dossier qu’un client de synchronisation (Nextcloud, Syncthing…) porte déjà jusqu’à votre téléphone pour que l’app les y trouve.</source>
        <translation>Choose a folder that a sync client (Nextcloud, Syncthing…) already carries to your phone, so that the app finds the nights there.</translation>
    </message>
    <message>
        <source>Choisir un dossier…</source>
        <translation>Choose a folder…</translation>
    </message>
    <message>
        <source>Publier dans ce dossier</source>
        <translation>Publish to this folder</translation>
    </message>
</context>
<context>
    <name>NightsReport</name>
    <message>
        <source>%1, numéro de série %2</source>
        <translation>%1, serial number %2</translation>
    </message>
    <message>
        <source>inconnu</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>Velunora Sync · page %1 sur %2</source>
        <translation>Velunora Sync · page %1 of %2</translation>
    </message>
    <message>
        <source>Relevé d’utilisation de l’appareil de PPC</source>
        <translation>CPAP device usage report</translation>
    </message>
    <message>
        <source>Appareil : %1</source>
        <translation>Device: %1</translation>
    </message>
    <message>
        <source>Établi le %1 à partir des nuits enregistrées par l’appareil. Les jours sans utilisation comptent pour 0 h.</source>
        <translation>Made on %1 from the nights the device recorded. Days without use count as 0 h.</translation>
    </message>
    <message>
        <source>Heures d’utilisation par nuit</source>
        <translation>Hours of use per night</translation>
    </message>
    <message>
        <source>%1 h</source>
        <translation>%1 h</translation>
    </message>
    <message>
        <source>Trait pointillé : 4 h. En orange : les nuits de moins de 4 h.</source>
        <translation>Dashed line: 4 h. In orange: nights of less than 4 h.</translation>
    </message>
    <message>
        <source>Nuit</source>
        <translation>Night</translation>
    </message>
    <message>
        <source>Utilisation</source>
        <translation>Use</translation>
    </message>
    <message>
        <source>IAH</source>
        <translation>AHI</translation>
    </message>
    <message>
        <source>Pression moy.</source>
        <translation>Mean pressure</translation>
    </message>
    <message>
        <source>Pression 95e</source>
        <translation>Pressure 95th</translation>
    </message>
    <message>
        <source>Fuite 95e</source>
        <translation>Leak 95th</translation>
    </message>
    <message>
        <source>≥ 4 h</source>
        <translation>≥ 4 h</translation>
    </message>
    <message>
        <source>Les nuits</source>
        <translation>The nights</translation>
    </message>
    <message>
        <source>—</source>
        <translation>—</translation>
    </message>
    <message>
        <source>oui</source>
        <translation>yes</translation>
    </message>
    <message>
        <source>non</source>
        <translation>no</translation>
    </message>
    <message>
        <source>Aucune nuit enregistrée dans la période.</source>
        <translation>No night recorded in the period.</translation>
    </message>
    <message>
        <source>Le rapport n’a pas pu être écrit dans « %1 » : %2</source>
        <translation>The report could not be written to “%1”: %2</translation>
    </message>
    <message>
        <source>Le rapport n’a pas pu être dessiné.</source>
        <translation>The report could not be drawn.</translation>
    </message>
</context>
<context>
    <name>Onboarding</name>
    <message>
        <source>Bienvenue dans Velunora Sync</source>
        <translation>Welcome to Velunora Sync</translation>
    </message>
</context>
<context>
    <name>OnboardingPageAccess</name>
    <message>
        <source>ACCÈS À LA CARTE</source>
        <translation>ACCESS TO THE CARD</translation>
    </message>
    <message>
        <source>Vous gardez le contrôle sur l’accès.</source>
        <translation>You stay in control of access.</translation>
    </message>
    <message>
        <source>La première fois, choisissez la racine de la carte SD. Ce choix est mémorisé pour les prochaines insertions.</source>
        <translation>The first time, Velunora Sync asks you to choose the top folder of the SD card. Your choice is remembered for the next times you insert it.</translation>
    </message>
    <message>
        <source>Choisissez la carte SD</source>
        <translation>Choose the SD card</translation>
    </message>
    <message>
        <source>La carte est reconnue et prête à être synchronisée.</source>
        <translation>The card is recognized and ready to sync.</translation>
    </message>
    <message>
        <source>Sélectionnez le volume qui contient les données de votre appareil.</source>
        <translation>Select the drive that holds your device’s data.</translation>
    </message>
    <message>
        <source>Changer de carte…</source>
        <translation>Change card…</translation>
    </message>
    <message>
        <source>Choisir une carte SD…</source>
        <translation>Choose an SD card…</translation>
    </message>
</context>
<context>
    <name>OnboardingPageCard</name>
    <message>
        <source>UNE FOIS VOTRE NUIT TERMINÉE</source>
        <translation>ONCE YOUR NIGHT IS OVER</translation>
    </message>
    <message>
        <source>Insérez simplement la carte SD dans cet ordinateur.</source>
        <translation>Simply insert the SD card into this computer.</translation>
    </message>
    <message>
        <source>Avant de la retirer de l’appareil, arrêtez le traitement, débranchez l’alimentation puis sortez doucement la carte.</source>
        <translation>Before removing it from the device, stop your therapy, unplug the power, then gently take out the card.</translation>
    </message>
    <message>
        <source>Arrêter</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Attendez l’arrêt du souffle</source>
        <translation>Wait for the airflow to stop</translation>
    </message>
    <message>
        <source>Débrancher</source>
        <translation>Unplug</translation>
    </message>
    <message>
        <source>Retirez l’alimentation</source>
        <translation>Disconnect the power</translation>
    </message>
    <message>
        <source>Insérer</source>
        <translation>Insert</translation>
    </message>
    <message>
        <source>Placez la carte dans l’ordinateur</source>
        <translation>Put the card into this computer</translation>
    </message>
</context>
<context>
    <name>OnboardingPageReady</name>
    <message>
        <source>TOUT EST PRÊT</source>
        <translation>ALL SET</translation>
    </message>
    <message>
        <source>Les prochaines nuits arriveront toutes seules.</source>
        <translation>Your next nights will arrive on their own.</translation>
    </message>
    <message>
        <source>Import automatique</source>
        <translation>Automatic import</translation>
    </message>
    <message>
        <source>Synchroniser dès qu’une carte compatible est insérée</source>
        <translation>Sync as soon as a compatible card is inserted</translation>
    </message>
    <message>
        <source>Ouvrir à la connexion</source>
        <translation>Open at login</translation>
    </message>
    <message>
        <source>Lancer discrètement Velunora Sync avec votre session</source>
        <translation>Quietly start Velunora Sync with your computer</translation>
    </message>
    <message>
        <source>Vous pourrez toujours rouvrir Velunora Sync depuis son icône en forme de lune, dans la barre de votre bureau, ou depuis la liste de vos applications.</source>
        <translation>You can always reopen Velunora Sync from its moon-shaped icon in your desktop’s bar, or from your list of applications.</translation>
    </message>
</context>
<context>
    <name>OnboardingPageWelcome</name>
    <message>
        <source>BIENVENUE DANS VELUNORA SYNC</source>
        <translation>WELCOME TO VELUNORA SYNC</translation>
    </message>
    <message>
        <source>Carte SD</source>
        <translation>SD card</translation>
    </message>
    <message>
        <source>Cet ordinateur</source>
        <translation>This computer</translation>
    </message>
    <message>
        <source>Le lien discret entre votre appareil et votre iPhone.</source>
        <comment>icloud</comment>
        <translation>The quiet link between your device and your iPhone.</translation>
    </message>
    <message>
        <source>Le lien discret entre votre appareil et votre serveur.</source>
        <translation>The quiet link between your device and your server.</translation>
    </message>
    <message>
        <source>Le lien discret entre votre appareil et cet ordinateur.</source>
        <translation>The quiet link between your device and this computer.</translation>
    </message>
    <message>
        <source>Velunora Sync travaille en arrière-plan et transmet automatiquement les nouvelles nuits vers votre espace iCloud privé.</source>
        <translation>Velunora Sync works in the background and sends new nights to your private iCloud space automatically.</translation>
    </message>
    <message>
        <source>Velunora Sync travaille en arrière-plan et transmet automatiquement les nouvelles nuits vers votre serveur.</source>
        <translation>Velunora Sync works in the background and sends new nights to your server automatically.</translation>
    </message>
    <message>
        <source>Velunora Sync travaille en arrière-plan et range automatiquement les nouvelles nuits dans un dossier de cet ordinateur.</source>
        <translation>Velunora Sync works in the background and files new nights in a folder on this computer automatically.</translation>
    </message>
</context>
<context>
    <name>OnboardingView</name>
    <message>
        <source>SYNC POUR LINUX</source>
        <translation>SYNC FOR LINUX</translation>
    </message>
    <message>
        <source>Bienvenue</source>
        <translation>Welcome</translation>
    </message>
    <message>
        <source>Carte SD</source>
        <translation>SD card</translation>
    </message>
    <message>
        <source>Autorisation</source>
        <translation>Permission</translation>
    </message>
    <message>
        <source>Prêt</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>Lecture seule</source>
        <translation>Read-only</translation>
    </message>
    <message>
        <source>Votre carte SD n’est jamais modifiée.</source>
        <translation>Your SD card is never changed.</translation>
    </message>
    <message>
        <source>Plus tard</source>
        <translation>Later</translation>
    </message>
    <message>
        <source>Retour</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Terminer</source>
        <translation>Finish</translation>
    </message>
    <message>
        <source>Continuer</source>
        <translation>Continue</translation>
    </message>
</context>
<context>
    <name>PAPCardImportError</name>
    <message>
        <source>vous n’avez pas l’autorisation de lire le dossier «&#xa0;DATALOG&#xa0;»</source>
        <translation>you don’t have permission to read the “DATALOG” folder</translation>
    </message>
    <message>
        <source>le dossier DATALOG est inaccessible</source>
        <translation>the DATALOG folder cannot be accessed</translation>
    </message>
    <message>
        <source>données tronquées dans </source>
        <translation>truncated data in </translation>
    </message>
    <message>
        <source> est incomplet</source>
        <translation> is incomplete</translation>
    </message>
    <message>
        <source>en-tête EDF invalide dans </source>
        <translation>invalid EDF header in </translation>
    </message>
    <message>
        <source>description EDF invalide</source>
        <translation>invalid EDF description</translation>
    </message>
    <message>
        <source>date EDF invalide dans </source>
        <translation>invalid EDF date in </translation>
    </message>
    <message>
        <source>La carte SD n’a pas pu être lue : </source>
        <translation>The SD card could not be read: </translation>
    </message>
    <message>
        <source>Ce dossier ne contient pas une carte PPC compatible.</source>
        <translation>This folder does not contain a compatible PAP card.</translation>
    </message>
    <message>
        <source>Aucune session détaillée n’a été trouvée sur cette carte SD.</source>
        <translation>No detailed sessions were found on this SD card.</translation>
    </message>
    <message>
        <source>la carte a été retirée ou ne répond plus pendant la lecture de «&#xa0;%1&#xa0;»</source>
        <translation>the card was removed or stopped responding while “%1” was being read</translation>
    </message>
</context>
<context>
    <name>PlatformError</name>
    <message>
        <source>Le fichier «&#xa0;%1&#xa0;» n’existe pas.</source>
        <translation>The file “%1” does not exist.</translation>
    </message>
    <message>
        <source>Vous ne disposez pas de l’autorisation nécessaire pour ouvrir le fichier «&#xa0;%1&#xa0;».</source>
        <translation>You don’t have permission to open the file “%1”.</translation>
    </message>
    <message>
        <source>«&#xa0;%1&#xa0;» est un dossier, pas un fichier.</source>
        <translation>“%1” is a folder, not a file.</translation>
    </message>
    <message>
        <source>«&#xa0;%1&#xa0;» n’est pas un fichier ordinaire.</source>
        <translation>“%1” is not a regular file.</translation>
    </message>
    <message>
        <source>Le fichier «&#xa0;%1&#xa0;» est trop volumineux pour être lu.</source>
        <translation>The file “%1” is too large to be read.</translation>
    </message>
    <message>
        <source>Le fichier «&#xa0;%1&#xa0;» n’a pas pu être lu.</source>
        <translation>The file “%1” could not be read.</translation>
    </message>
    <message>
        <source>Le disque est plein&#xa0;: «&#xa0;%1&#xa0;» n’a pas pu être enregistré.</source>
        <translation>The disk is full: “%1” could not be saved.</translation>
    </message>
    <message>
        <source>Vous ne disposez pas de l’autorisation nécessaire pour enregistrer «&#xa0;%1&#xa0;».</source>
        <translation>You don’t have permission to save “%1”.</translation>
    </message>
    <message>
        <source>«&#xa0;%1&#xa0;» n’a pas pu être enregistré&#xa0;: le volume est en lecture seule.</source>
        <translation>“%1” could not be saved: the drive is read-only.</translation>
    </message>
    <message>
        <source>«&#xa0;%1&#xa0;» n’a pas pu être enregistré : un dossier porte ce nom.</source>
        <translation>“%1” could not be saved: a folder already has that name.</translation>
    </message>
    <message>
        <source>«&#xa0;%1&#xa0;» n’a pas pu être enregistré : un élément qui n’est pas un fichier ordinaire porte ce nom.</source>
        <translation>“%1” could not be saved: something that is not a regular file already has that name.</translation>
    </message>
    <message>
        <source>«&#xa0;%1&#xa0;» n’a pas pu être enregistré.</source>
        <translation>“%1” could not be saved.</translation>
    </message>
    <message>
        <source>Vous ne disposez pas de l’autorisation nécessaire pour supprimer le fichier «&#xa0;%1&#xa0;».</source>
        <translation>You don’t have permission to delete the file “%1”.</translation>
    </message>
    <message>
        <source>Le fichier «&#xa0;%1&#xa0;» n’a pas pu être supprimé.</source>
        <translation>The file “%1” could not be deleted.</translation>
    </message>
    <message>
        <source>Le dossier «&#xa0;%1&#xa0;» appartient à un autre utilisateur ou tout le monde peut y écrire&#xa0;: vos nuits n’y sont pas enregistrées.</source>
        <translation>The folder “%1” belongs to another user or anyone can write to it: your nights are not saved there.</translation>
    </message>
</context>
<context>
    <name>ReportCommand</name>
    <message>
        <source>velunora-card report : %1</source>
        <translation>velunora-card report: %1</translation>
    </message>
    <message>
        <source>Aucune nuit publiée dans « %1 » : synchronisez d’abord une carte (velunora-card sync CARTE).</source>
        <translation>No night published in “%1”: sync a card first (velunora-card sync CARD).</translation>
    </message>
    <message>
        <source>Le fichier « %1 » n’existe pas ou ne peut pas être lu.</source>
        <translation>The file “%1” does not exist or cannot be read.</translation>
    </message>
    <message>
        <source>« %1 » n’est pas un instantané de nuits : %2</source>
        <translation>“%1” is not a snapshot of nights: %2</translation>
    </message>
    <message>
        <source>il manque la valeur de « %1 »</source>
        <translation>“%1” lacks its value</translation>
    </message>
    <message>
        <source>« %1 » n’est pas une date AAAA-MM-JJ</source>
        <translation>“%1” is not a date YYYY-MM-DD</translation>
    </message>
    <message>
        <source>argument inattendu « %1 »</source>
        <translation>unexpected argument “%1”</translation>
    </message>
    <message>
        <source>L’instantané ne contient aucune nuit.</source>
        <translation>The snapshot holds no night.</translation>
    </message>
    <message>
        <source>la date de --from est après celle de --to</source>
        <translation>the date of --from is after that of --to</translation>
    </message>
    <message>
        <source>%1 : %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Rapport écrit dans %1</source>
        <translation>Report written to %1</translation>
    </message>
    <message>
        <source>Tableau des nuits écrit dans %1</source>
        <translation>Table of the nights written to %1</translation>
    </message>
</context>
<context>
    <name>ReportSaving</name>
    <message>
        <source>Velunora – nuits du %1 au %2.pdf</source>
        <translation>Velunora – nights from %1 to %2.pdf</translation>
    </message>
    <message>
        <source>Enregistrer le rapport pour le médecin</source>
        <translation>Save the report for the doctor</translation>
    </message>
    <message>
        <source>Document PDF (*.pdf)</source>
        <translation>PDF document (*.pdf)</translation>
    </message>
    <message>
        <source>Rapport non enregistré</source>
        <translation>Report not saved</translation>
    </message>
</context>
<context>
    <name>ResetConfirmationDialog</name>
    <message>
        <source>Réinitialiser toutes les données Velunora ?</source>
        <translation>Reset all Velunora data?</translation>
    </message>
    <message>
        <source>Annuler</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Les données présentes dans iCloud et l’export local seront supprimées. La carte SD ne sera jamais modifiée.</source>
        <comment>icloud</comment>
        <translation>The data in iCloud and the local export will be deleted. The SD card is never changed.</translation>
    </message>
    <message>
        <source>Les données publiées sur votre serveur et l’export local seront supprimés. La carte SD ne sera jamais modifiée.</source>
        <translation>The data published on your server and the local export will be deleted. The SD card is never changed.</translation>
    </message>
    <message>
        <source>Les données publiées sur cet ordinateur et l’export local seront supprimés. La carte SD ne sera jamais modifiée.</source>
        <translation>The data published on this computer and the local export will be deleted. The SD card is never changed.</translation>
    </message>
    <message>
        <source>Effacer les données iCloud et locales</source>
        <comment>icloud</comment>
        <translation>Erase iCloud and local data</translation>
    </message>
    <message>
        <source>Effacer les données du serveur et locales</source>
        <translation>Erase server and local data</translation>
    </message>
    <message>
        <source>Effacer les données publiées et locales</source>
        <translation>Erase published and local data</translation>
    </message>
</context>
<context>
    <name>SavedCardLocation</name>
    <message>
        <source>Le dossier de la carte SD enregistré est illisible. Sélectionnez-le à nouveau.</source>
        <translation>The SD card folder you chose earlier can no longer be opened. Please select it again.</translation>
    </message>
</context>
<context>
    <name>SettingsView</name>
    <message>
        <source>Où publier les nuits</source>
        <translation>Where to publish the nights</translation>
    </message>
    <message>
        <source>Votre iCloud privé, que lit l’app Velunora de votre iPhone.</source>
        <translation>Your private iCloud, which the Velunora app on your iPhone reads.</translation>
    </message>
    <message>
        <source>Nextcloud ou WebDAV</source>
        <translation>Nextcloud or WebDAV</translation>
    </message>
    <message>
        <source>Votre propre serveur, en https.</source>
        <translation>Your own server, over https.</translation>
    </message>
    <message>
        <source>Sur cet ordinateur</source>
        <translation>On this computer</translation>
    </message>
    <message>
        <source>Un dossier de cet ordinateur, sans compte ni serveur.</source>
        <translation>A folder on this computer, with no account and no server.</translation>
    </message>
    <message>
        <source>Export local</source>
        <translation>Local export</translation>
    </message>
    <message>
        <source>Afficher l’export local</source>
        <translation>Show the local export</translation>
    </message>
    <message>
        <source>Importer automatiquement les cartes SD</source>
        <translation>Import SD cards automatically</translation>
    </message>
    <message>
        <source>Ouvrir à la connexion</source>
        <translation>Open at login</translation>
    </message>
    <message>
        <source>Fermer</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Notifier la fin des importations automatiques</source>
        <translation>Notify when an automatic import ends</translation>
    </message>
</context>
<context>
    <name>SettingsWindow</name>
    <message>
        <source>Réglages</source>
        <translation>Settings</translation>
    </message>
</context>
<context>
    <name>SignInCallbackTexts</name>
    <message>
        <source>Cette adresse attend le retour de la connexion à iCloud.</source>
        <translation>This address is waiting for the reply from the iCloud sign-in.</translation>
    </message>
    <message>
        <source>Velunora Sync est connecté à iCloud. Vous pouvez fermer cette page.</source>
        <translation>Velunora Sync is signed in to iCloud. You can close this page.</translation>
    </message>
    <message>
        <source>Refusé&#xa0;: cette demande ne vient pas de la barre d’adresse du navigateur, mais d’une page web.</source>
        <translation>Refused: this request does not come from the browser’s address bar, but from a web page.</translation>
    </message>
    <message>
        <source>Refusé&#xa0;: cette demande est mal formée.</source>
        <translation>Refused: this request is malformed.</translation>
    </message>
    <message>
        <source>Refusé&#xa0;: cette demande vient d’un autre utilisateur de cet ordinateur.</source>
        <translation>Refused: this request comes from another user of this computer.</translation>
    </message>
    <message>
        <source>Trop tard&#xa0;: cette connexion à iCloud est déjà terminée ou a expiré. Relancez-la depuis Velunora Sync.</source>
        <translation>Too late: this iCloud sign-in has already ended or has expired. Start it again from Velunora Sync.</translation>
    </message>
    <message>
        <source>fr</source>
        <comment>language tag of the page</comment>
        <translation>en</translation>
    </message>
</context>
<context>
    <name>SnapshotEncoder</name>
    <message>
        <source>Instantané non encodable : date hors limites pour « </source>
        <translation>The nights could not be prepared for publishing: date out of range for « </translation>
    </message>
    <message>
        <source>Instantané non encodable : nombre non fini pour « </source>
        <translation>The nights could not be prepared for publishing: invalid number for « </translation>
    </message>
    <message>
        <source> de la nuit du </source>
        <translation> of the night of </translation>
    </message>
</context>
<context>
    <name>Status</name>
    <message>
        <source>Autorisation requise</source>
        <translation>Permission needed</translation>
    </message>
    <message>
        <source>Carte détectée · </source>
        <translation>Card detected · </translation>
    </message>
    <message>
        <source>Échec de la synchronisation</source>
        <translation>Sync failed</translation>
    </message>
    <message>
        <source>En attente d’une carte SD</source>
        <translation>Waiting for an SD card</translation>
    </message>
    <message>
        <source>Synchronisation…</source>
        <translation>Syncing…</translation>
    </message>
    <message>
        <source>Remise à zéro…</source>
        <translation>Erasing…</translation>
    </message>
    <message>
        <source>Données réinitialisées</source>
        <translation>Data erased</translation>
    </message>
    <message numerus="yes">
        <source>%1 nuits synchronisées</source>
        <translation>
            <numerusform>%1 night synced</numerusform>
            <numerusform>%1 nights synced</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>StoreOption</name>
    <message>
        <source>%1 (actuel)</source>
        <translation>%1 (current)</translation>
    </message>
</context>
<context>
    <name>SyncController</name>
    <message>
        <source>La mémoire disponible ne suffit pas.</source>
        <translation>There is not enough memory available.</translation>
    </message>
    <message>
        <source>Une erreur inconnue est survenue.</source>
        <translation>An unknown error occurred.</translation>
    </message>
    <message>
        <source>Sélectionner la carte SD de l’appareil de traitement</source>
        <translation>Select your therapy device’s SD card</translation>
    </message>
    <message>
        <source>Choisissez la racine de la carte, celle qui contient DATALOG et STR.edf.</source>
        <translation>Choose the top folder of the card, the one that contains DATALOG and STR.edf.</translation>
    </message>
    <message>
        <source>L’accès à la carte SD n’a pas été accordé. Sélectionnez-la à nouveau.</source>
        <translation>Velunora Sync could not get access to the SD card. Please select it again.</translation>
    </message>
    <message>
        <source>Ouverture de session : </source>
        <translation>Open at login: </translation>
    </message>
    <message>
        <source>Remise à zéro impossible : </source>
        <translation>Could not erase the data: </translation>
    </message>
    <message>
        <source>%1 : la carte peut retourner dans l’appareil.</source>
        <translation>%1: the card can go back into the device.</translation>
    </message>
    <message>
        <source>La synchronisation a échoué : %1</source>
        <translation>The sync failed: %1</translation>
    </message>
    <message>
        <source>1 nuit synchronisée</source>
        <translation>1 night synced</translation>
    </message>
    <message>
        <source>%1, aucune nouvelle nuit sur la carte</source>
        <translation>%1, no new night on the card</translation>
    </message>
    <message>
        <source>%1, dont 1 nouvelle</source>
        <translation>%1, 1 new</translation>
    </message>
    <message>
        <source>%1, dont %2 nouvelles</source>
        <translation>%1, %2 new</translation>
    </message>
    <message>
        <source>les nuits publiées dans «&#xa0;%1&#xa0;» n’ont pas pu être effacées (%2)</source>
        <translation>the nights published in “%1” could not be erased (%2)</translation>
    </message>
</context>
<context>
    <name>SyncMenuView</name>
    <message>
        <source>Aucune carte SD détectée</source>
        <translation>No SD card detected</translation>
    </message>
    <message>
        <source>Insérez la carte SD de votre appareil de traitement : Velunora Sync l’importera automatiquement.</source>
        <translation>Insert your therapy device’s SD card: Velunora Sync will import it automatically.</translation>
    </message>
    <message>
        <source>CARTE SD À AUTORISER</source>
        <translation>SD CARD NEEDS PERMISSION</translation>
    </message>
    <message>
        <source>CARTE SD DÉTECTÉE</source>
        <translation>SD CARD DETECTED</translation>
    </message>
    <message>
        <source>Velunora Sync a besoin de votre autorisation pour lire les données de la carte.</source>
        <translation>Velunora Sync needs your permission before it reads the card.</translation>
    </message>
    <message>
        <source>Autoriser l’accès…</source>
        <translation>Allow access…</translation>
    </message>
    <message>
        <source>Choisir une carte…</source>
        <translation>Choose a card…</translation>
    </message>
    <message>
        <source>Synchroniser</source>
        <translation>Sync</translation>
    </message>
    <message>
        <source>Importer automatiquement les cartes SD</source>
        <translation>Import SD cards automatically</translation>
    </message>
    <message>
        <source>Ouvrir à la connexion</source>
        <translation>Open at login</translation>
    </message>
    <message>
        <source>Afficher l’export local</source>
        <translation>Show local export</translation>
    </message>
    <message>
        <source>Réinitialiser les données Velunora…</source>
        <translation>Reset Velunora data…</translation>
    </message>
    <message>
        <source>Revoir la présentation…</source>
        <translation>Show the introduction again…</translation>
    </message>
    <message>
        <source>Quitter</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>Réglages…</source>
        <translation>Settings…</translation>
    </message>
    <message>
        <source>Données chiffrées dans votre iCloud privé</source>
        <comment>icloud</comment>
        <translation>Data encrypted in your private iCloud</translation>
    </message>
    <message>
        <source>Nuits publiées sur votre serveur</source>
        <translation>Nights published on your server</translation>
    </message>
    <message>
        <source>Nuits gardées sur cet ordinateur</source>
        <translation>Nights kept on this computer</translation>
    </message>
    <message>
        <source>Éjecter la carte</source>
        <translation>Eject the card</translation>
    </message>
</context>
<context>
    <name>SyncNotifier</name>
    <message>
        <source>Éjecter la carte</source>
        <translation>Eject the card</translation>
    </message>
</context>
<context>
    <name>UDisks2VolumeSource</name>
    <message>
        <source>La carte n’est plus montée : elle peut être retirée.</source>
        <translation>The card is no longer mounted: it can be taken out.</translation>
    </message>
    <message>
        <source>La carte n’a pas pu être éjectée : le système a refusé de la démonter.</source>
        <translation>The card could not be ejected: the system refused to unmount it.</translation>
    </message>
    <message>
        <source>La carte n’a pas pu être éjectée : un programme utilise encore un de ses fichiers.</source>
        <translation>The card could not be ejected: a program is still using one of its files.</translation>
    </message>
</context>
<context>
    <name>UsageTexts</name>
    <message>
        <source>%1 h %2</source>
        <extracomment>Hours and minutes of use: &quot;6 h 52&quot;.</extracomment>
        <translation>%1 h %2</translation>
    </message>
    <message>
        <source>%1/h</source>
        <extracomment>Events per hour of use: &quot;2,3/h&quot;.</extracomment>
        <translation>%1/h</translation>
    </message>
    <message>
        <source>%1 cmH₂O</source>
        <translation>%1 cmH₂O</translation>
    </message>
    <message>
        <source>%1 L/min</source>
        <translation>%1 L/min</translation>
    </message>
    <message>
        <source>ddd d MMM</source>
        <extracomment>A night in a list: &quot;lun. 7 déc.&quot;, in the locale&apos;s own order.</extracomment>
        <translation>ddd d MMM</translation>
    </message>
    <message>
        <source>d MMMM yyyy</source>
        <translation>d MMMM yyyy</translation>
    </message>
    <message>
        <source>%1 sur %2 (%3 %)</source>
        <translation>%1 of %2 (%3%)</translation>
    </message>
    <message>
        <source>—</source>
        <translation>—</translation>
    </message>
    <message>
        <source>Jours d’au moins 4 h</source>
        <translation>Days of at least 4 h</translation>
    </message>
    <message>
        <source>Jours avec utilisation</source>
        <translation>Days with use</translation>
    </message>
    <message>
        <source>Utilisation moyenne, jours utilisés</source>
        <translation>Average use, days used</translation>
    </message>
    <message>
        <source>Utilisation moyenne, tous les jours</source>
        <translation>Average use, all days</translation>
    </message>
    <message>
        <source>IAH (apnées et hypopnées par heure)</source>
        <translation>AHI (apnoeas and hypopnoeas per hour)</translation>
    </message>
    <message>
        <source>Apnées obstructives</source>
        <translation>Obstructive apnoeas</translation>
    </message>
    <message>
        <source>Apnées centrales</source>
        <translation>Central apnoeas</translation>
    </message>
    <message>
        <source>Hypopnées</source>
        <translation>Hypopnoeas</translation>
    </message>
    <message>
        <source>Apnées non classées</source>
        <translation>Unclassified apnoeas</translation>
    </message>
    <message>
        <source>Éveils liés à l’effort respiratoire (RERA)</source>
        <translation>Respiratory effort-related arousals (RERA)</translation>
    </message>
    <message>
        <source>médiane %1, 95e centile %2</source>
        <translation>median %1, 95th percentile %2</translation>
    </message>
    <message>
        <source>Pression moyenne des nuits</source>
        <translation>Nightly mean pressure</translation>
    </message>
    <message>
        <source>Pression, 95e centile des nuits</source>
        <translation>Nightly 95th percentile pressure</translation>
    </message>
    <message>
        <source>Fuite moyenne des nuits</source>
        <translation>Nightly mean leak</translation>
    </message>
    <message>
        <source>Fuite, 95e centile des nuits</source>
        <translation>Nightly 95th percentile leak</translation>
    </message>
    <message>
        <source>du %1 au %2</source>
        <translation>from %1 to %2</translation>
    </message>
    <message>
        <source>Plus longue série de jours d’au moins 4 h</source>
        <translation>Longest run of days of at least 4 h</translation>
    </message>
    <message>
        <source>atteint, %1</source>
        <translation>met, %1</translation>
    </message>
    <message>
        <source>non atteint (au mieux %1 jours sur 30)</source>
        <translation>not met (at best %1 days of 30)</translation>
    </message>
    <message>
        <source>période de moins de 30 jours</source>
        <translation>period shorter than 30 days</translation>
    </message>
    <message>
        <source>21 jours d’au moins 4 h sur 30 consécutifs</source>
        <translation>21 days of at least 4 h in 30 in a row</translation>
    </message>
    <message>
        <source>Nuit du %1</source>
        <translation>Night of %1</translation>
    </message>
    <message>
        <source>dddd d MMMM yyyy</source>
        <translation>dddd d MMMM yyyy</translation>
    </message>
    <message>
        <source>Utilisation</source>
        <translation>Use</translation>
    </message>
    <message>
        <source>Masque porté</source>
        <translation>Mask on</translation>
    </message>
    <message>
        <source>IDR (avec les RERA)</source>
        <translation>RDI (with RERAs)</translation>
    </message>
    <message>
        <source>Pression moyenne</source>
        <translation>Mean pressure</translation>
    </message>
    <message>
        <source>Pression minimale</source>
        <translation>Lowest pressure</translation>
    </message>
    <message>
        <source>Pression, 95e centile</source>
        <translation>Pressure, 95th percentile</translation>
    </message>
    <message>
        <source>Pression maximale</source>
        <translation>Highest pressure</translation>
    </message>
    <message>
        <source>Fuite moyenne</source>
        <translation>Mean leak</translation>
    </message>
    <message>
        <source>Fuite, 95e centile</source>
        <translation>Leak, 95th percentile</translation>
    </message>
    <message>
        <source>Fuite maximale</source>
        <translation>Highest leak</translation>
    </message>
    <message>
        <source>%1–%2</source>
        <translation>%1–%2</translation>
    </message>
    <message>
        <source>Sessions</source>
        <translation>Sessions</translation>
    </message>
    <message numerus="yes">
        <source>%n nuit(s) sur %1 d’au moins 4 h</source>
        <extracomment>How many of the last days had at least 4 hours of use: &quot;28 nuits sur 30 d’au moins 4 h&quot;.</extracomment>
        <translation>
            <numerusform>%n night of %1 with at least 4 h</numerusform>
            <numerusform>%n nights of %1 with at least 4 h</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Du %1 au %2 (%n jour(s))</source>
        <translation>
            <numerusform>From %1 to %2 (%n day)</numerusform>
            <numerusform>From %1 to %2 (%n days)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n jour(s), du %1 au %2</source>
        <translation>
            <numerusform>%n day, from %1 to %2</numerusform>
            <numerusform>%n days, from %1 to %2</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>VelunoraSyncApp</name>
    <message>
        <source>Ouvrir Velunora Sync</source>
        <translation>Open Velunora Sync</translation>
    </message>
    <message>
        <source>Se connecter à iCloud…</source>
        <translation>Sign in to iCloud…</translation>
    </message>
    <message>
        <source>Quitter</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>Réglages…</source>
        <translation>Settings…</translation>
    </message>
    <message>
        <source>Historique…</source>
        <translation>History…</translation>
    </message>
    <message>
        <source>Ce bureau n’affiche pas d’icônes d’état&#xa0;: Velunora Sync reste dans cette fenêtre. La fermer arrête l’import automatique.</source>
        <translation>This desktop shows no status icons: Velunora Sync stays in this window. Closing it stops the automatic import.</translation>
    </message>
    <message>
        <source>Pour voir l’icône dans la barre du haut&#xa0;: l’extension «&#xa0;AppIndicator and KStatusNotifierItem Support&#xa0;», dans l’application Extensions. D’ici là, fermer cette fenêtre arrête l’import automatique.</source>
        <translation>For the icon in the top bar: the “AppIndicator and KStatusNotifierItem Support” extension, in the Extensions app. Until then, closing this window stops the automatic import.</translation>
    </message>
</context>
<context>
    <name>VolumeSource</name>
    <message>
        <source>Ce système ne sait pas éjecter la carte : démontez-la depuis le gestionnaire de fichiers.</source>
        <translation>This system cannot eject the card: unmount it from the file manager.</translation>
    </message>
</context>
<context>
    <name>WebDAVCloudStoreTexts</name>
    <message>
        <source>Les données publiées ont été modifiées ailleurs entre-temps. Relancez la synchronisation.</source>
        <translation>The published data was changed elsewhere in the meantime. Please sync again.</translation>
    </message>
    <message>
        <source>Le serveur WebDAV a répondu de façon inattendue (code HTTP %1).</source>
        <translation>The WebDAV server replied unexpectedly (HTTP code %1).</translation>
    </message>
    <message>
        <source>Le serveur WebDAV «&#xa0;%1&#xa0;» a envoyé une réponse illisible.</source>
        <translation>The WebDAV server “%1” sent a response that could not be read.</translation>
    </message>
    <message>
        <source>Le nom «&#xa0;%1&#xa0;» ne convient pas à un enregistrement.</source>
        <translation>The name “%1” cannot be used for a record.</translation>
    </message>
    <message>
        <source>Aucun mot de passe WebDAV n’est enregistré pour «&#xa0;%1&#xa0;» dans le trousseau.</source>
        <translation>No WebDAV password is saved for “%1” in the keyring.</translation>
    </message>
    <message>
        <source>L’accès au trousseau a été refusé. Le mot de passe WebDAV n’a pas pu être lu.</source>
        <translation>Access to the keyring was denied. The WebDAV password could not be read.</translation>
    </message>
    <message>
        <source>Le trousseau du bureau n’est pas disponible. Le mot de passe WebDAV n’a pas pu être lu.</source>
        <translation>The desktop keyring is not available. The WebDAV password could not be read.</translation>
    </message>
    <message>
        <source>Le serveur WebDAV «&#xa0;%1&#xa0;» n’a pas terminé sa réponse en %2 s.</source>
        <translation>The WebDAV server “%1” did not finish its reply within %2 s.</translation>
    </message>
    <message>
        <source>Le serveur WebDAV «&#xa0;%1&#xa0;» ne répond plus depuis %2 s.</source>
        <translation>The WebDAV server “%1” has not responded for %2 s.</translation>
    </message>
    <message>
        <source>Le serveur WebDAV «&#xa0;%1&#xa0;» a envoyé une réponse trop volumineuse.</source>
        <translation>The WebDAV server “%1” sent a response that is too large.</translation>
    </message>
    <message>
        <source>Le certificat du serveur WebDAV «&#xa0;%1&#xa0;» n’a pas pu être vérifié. La connexion a été refusée.</source>
        <translation>The certificate of the WebDAV server “%1” could not be verified. The connection was refused.</translation>
    </message>
    <message>
        <source>L’adresse du serveur WebDAV «&#xa0;%1&#xa0;» n’est pas valide.</source>
        <translation>The WebDAV server address “%1” is not valid.</translation>
    </message>
    <message>
        <source>Aucune connexion réseau n’est disponible.</source>
        <translation>No network connection is available.</translation>
    </message>
    <message>
        <source>Le serveur WebDAV «&#xa0;%1&#xa0;» ne répond pas.</source>
        <translation>The WebDAV server “%1” is not responding.</translation>
    </message>
    <message>
        <source>Le serveur WebDAV «&#xa0;%1&#xa0;» est injoignable.</source>
        <translation>The WebDAV server “%1” cannot be reached.</translation>
    </message>
    <message>
        <source>Le serveur WebDAV a refusé l’identifiant «&#xa0;%1&#xa0;» ou son mot de passe.</source>
        <translation>The WebDAV server rejected the username “%1” or its password.</translation>
    </message>
    <message>
        <source>Le serveur WebDAV n’autorise pas «&#xa0;%1&#xa0;» à publier dans ce dossier.</source>
        <translation>The WebDAV server does not allow “%1” to publish to this folder.</translation>
    </message>
    <message>
        <source>Aucune donnée publiée n’a été trouvée sur le serveur WebDAV.</source>
        <translation>No published data was found on the WebDAV server.</translation>
    </message>
    <message>
        <source>Le dossier «&#xa0;%1&#xa0;» n’existe pas sur le serveur WebDAV.</source>
        <translation>The folder “%1” does not exist on the WebDAV server.</translation>
    </message>
    <message>
        <source>Le serveur WebDAV «&#xa0;%1&#xa0;» renvoie vers une autre adresse (code HTTP %2). Indiquez l’adresse exacte du dossier dans les réglages.</source>
        <translation>The WebDAV server “%1” is redirecting to another address (HTTP code %2). Enter the exact folder address in the settings.</translation>
    </message>
    <message>
        <source>L’espace de stockage du serveur WebDAV est plein.</source>
        <translation>The WebDAV server’s storage is full.</translation>
    </message>
    <message>
        <source>Le mot de passe WebDAV n’a pas pu être enregistré dans le trousseau.</source>
        <translation>The WebDAV password could not be saved in the keyring.</translation>
    </message>
    <message>
        <source>L’adresse du serveur WebDAV n’est pas configurée ou n’est pas valide.</source>
        <translation>The WebDAV server address is not set up or is not valid.</translation>
    </message>
    <message>
        <source>L’adresse du serveur WebDAV «&#xa0;%1&#xa0;» n’est pas chiffrée : utilisez une adresse en https://, pour que le mot de passe et vos nuits ne circulent jamais en clair.</source>
        <translation>The WebDAV server address “%1” is not encrypted: use an https:// address so that your password and your nights are never sent in the clear.</translation>
    </message>
    <message>
        <source>Un enregistrement WebDAV ne contient qu’un seul fichier.</source>
        <translation>A WebDAV record holds only one file.</translation>
    </message>
    <message>
        <source>L’enregistrement ne contient aucun fichier à publier.</source>
        <translation>The record contains no file to publish.</translation>
    </message>
</context>
<context>
    <name>WebDAVForm</name>
    <message>
        <source>Adresse du dossier sur le serveur</source>
        <translation>Address of the folder on the server</translation>
    </message>
    <message>
        <source>Identifiant</source>
        <translation>User name</translation>
    </message>
    <message>
        <source>Mot de passe</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>Inchangé (gardé dans le trousseau)</source>
        <translation>Unchanged (kept in the keyring)</translation>
    </message>
    <message>
        <source>Tester la connexion</source>
        <translation>Test the connection</translation>
    </message>
    <message>
        <source>Enregistrer</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Publier sur ce serveur</source>
        <translation>Publish to this server</translation>
    </message>
</context>
</TS>
