<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr" sourcelanguage="fr">
<context>
    <name>CloudKitCloudStoreTexts</name>
    <message>
        <source>Connectez-vous à iCloud pour publier vos nuits : la session iCloud de Velunora Sync n’est pas ouverte ou a expiré.</source>
        <translation>Connectez-vous à iCloud pour publier vos nuits : la session iCloud de Velunora Sync n’est pas ouverte ou a expiré.</translation>
    </message>
    <message>
        <source>Les données publiées ont été modifiées ailleurs entre-temps. Relancez la synchronisation.</source>
        <translation>Les données publiées ont été modifiées ailleurs entre-temps. Relancez la synchronisation.</translation>
    </message>
    <message>
        <source>Le service iCloud a envoyé une réponse illisible.</source>
        <translation>Le service iCloud a envoyé une réponse illisible.</translation>
    </message>
    <message>
        <source>dans un instant</source>
        <translation>dans un instant</translation>
    </message>
    <message>
        <source>dans %1 secondes</source>
        <translation>dans %1 secondes</translation>
    </message>
    <message>
        <source>dans %1 minutes</source>
        <translation>dans %1 minutes</translation>
    </message>
    <message>
        <source>dans %1 heures</source>
        <translation>dans %1 heures</translation>
    </message>
    <message>
        <source>Aucune donnée publiée n’a été trouvée dans iCloud.</source>
        <translation>Aucune donnée publiée n’a été trouvée dans iCloud.</translation>
    </message>
    <message>
        <source>Le service iCloud refuse le jeton d’API configuré pour le conteneur «&#xa0;%1&#xa0;» (environnement «&#xa0;%2&#xa0;»).</source>
        <translation>Le service iCloud refuse le jeton d’API configuré pour le conteneur «&#xa0;%1&#xa0;» (environnement «&#xa0;%2&#xa0;»).</translation>
    </message>
    <message>
        <source>Le service iCloud refuse l’accès aux données de ce compte. Reconnectez-vous à iCloud.</source>
        <translation>Le service iCloud refuse l’accès aux données de ce compte. Reconnectez-vous à iCloud.</translation>
    </message>
    <message>
        <source>Votre stockage iCloud est plein : libérez de l’espace pour publier vos nuits.</source>
        <translation>Votre stockage iCloud est plein : libérez de l’espace pour publier vos nuits.</translation>
    </message>
    <message>
        <source>Le service iCloud est surchargé et demande d’attendre. Relancez la synchronisation %1.</source>
        <translation>Le service iCloud est surchargé et demande d’attendre. Relancez la synchronisation %1.</translation>
    </message>
    <message>
        <source>Le service iCloud est momentanément indisponible. Relancez la synchronisation plus tard.</source>
        <translation>Le service iCloud est momentanément indisponible. Relancez la synchronisation plus tard.</translation>
    </message>
    <message>
        <source>Le service iCloud a répondu par une erreur inattendue (%1).</source>
        <translation>Le service iCloud a répondu par une erreur inattendue (%1).</translation>
    </message>
    <message>
        <source>Le service iCloud n’a pas terminé sa réponse en %1 s.</source>
        <translation>Le service iCloud n’a pas terminé sa réponse en %1 s.</translation>
    </message>
    <message>
        <source>Le service iCloud ne répond plus depuis %1 s.</source>
        <translation>Le service iCloud ne répond plus depuis %1 s.</translation>
    </message>
    <message>
        <source>Le service iCloud a envoyé une réponse trop volumineuse.</source>
        <translation>Le service iCloud a envoyé une réponse trop volumineuse.</translation>
    </message>
    <message>
        <source>Le certificat du service iCloud n’a pas pu être vérifié. La connexion a été refusée.</source>
        <translation>Le certificat du service iCloud n’a pas pu être vérifié. La connexion a été refusée.</translation>
    </message>
    <message>
        <source>Aucune connexion réseau n’est disponible.</source>
        <translation>Aucune connexion réseau n’est disponible.</translation>
    </message>
    <message>
        <source>Le service iCloud est injoignable.</source>
        <translation>Le service iCloud est injoignable.</translation>
    </message>
    <message>
        <source>Le service iCloud renvoie vers une autre adresse (code HTTP %1).</source>
        <translation>Le service iCloud renvoie vers une autre adresse (code HTTP %1).</translation>
    </message>
    <message>
        <source>Le conteneur iCloud de Velunora Sync n’est pas configuré (identifiant et jeton d’API).</source>
        <translation>Le conteneur iCloud de Velunora Sync n’est pas configuré (identifiant et jeton d’API).</translation>
    </message>
    <message>
        <source>L’adresse du service iCloud «&#xa0;%1&#xa0;» n’est pas une adresse https://.</source>
        <translation>L’adresse du service iCloud «&#xa0;%1&#xa0;» n’est pas une adresse https://.</translation>
    </message>
    <message>
        <source>Le service iCloud a indiqué une adresse de transfert non chiffrée ; elle n’a pas été utilisée.</source>
        <translation>Le service iCloud a indiqué une adresse de transfert non chiffrée ; elle n’a pas été utilisée.</translation>
    </message>
    <message>
        <source>Le trousseau du bureau n’est pas disponible : la session iCloud n’a pas pu être lue.</source>
        <translation>Le trousseau du bureau n’est pas disponible : la session iCloud n’a pas pu être lue.</translation>
    </message>
    <message>
        <source>Le service iCloud n’a pas indiqué de page de connexion.</source>
        <translation>Le service iCloud n’a pas indiqué de page de connexion.</translation>
    </message>
    <message>
        <source>Les données publiées dans iCloud n’ont pas de fichier «&#xa0;%1&#xa0;».</source>
        <translation>Les données publiées dans iCloud n’ont pas de fichier «&#xa0;%1&#xa0;».</translation>
    </message>
    <message>
        <source>Vos nuits pèsent %1 Mo une fois encodées, et iCloud n’accepte que %2 Mo par fichier : elles n’ont pas été publiées.</source>
        <translation>Vos nuits pèsent %1 Mo une fois encodées, et iCloud n’accepte que %2 Mo par fichier : elles n’ont pas été publiées.</translation>
    </message>
</context>
<context>
    <name>CloudSnapshotService</name>
    <message>
        <source>Une autre synchronisation est en cours sur cet ordinateur. Réessayez dans un instant.</source>
        <translation>Une autre synchronisation est en cours sur cet ordinateur. Réessayez dans un instant.</translation>
    </message>
    <message>
        <source>Le fichier de verrou «&#xa0;%1&#xa0;» n’a pas pu être créé.</source>
        <translation>Le fichier de verrou «&#xa0;%1&#xa0;» n’a pas pu être créé.</translation>
    </message>
</context>
<context>
    <name>CloudStoreChoiceTexts</name>
    <message>
        <source>Le dossier «&#xa0;%1&#xa0;» ne peut pas recevoir les nuits : il n’a pas pu être créé ou vous n’avez pas le droit d’y écrire.</source>
        <translation>Le dossier «&#xa0;%1&#xa0;» ne peut pas recevoir les nuits : il n’a pas pu être créé ou vous n’avez pas le droit d’y écrire.</translation>
    </message>
    <message>
        <source>Les nuits seront publiées dans ce dossier de cet ordinateur.</source>
        <translation>Les nuits seront publiées dans ce dossier de cet ordinateur.</translation>
    </message>
    <message>
        <source>Choisir le dossier des nuits publiées</source>
        <translation>Choisir le dossier des nuits publiées</translation>
    </message>
    <message>
        <source>Choisissez un dossier de cet ordinateur, par exemple un dossier qu’un client de synchronisation porte déjà jusqu’à votre téléphone.</source>
        <translation>Choisissez un dossier de cet ordinateur, par exemple un dossier qu’un client de synchronisation porte déjà jusqu’à votre téléphone.</translation>
    </message>
    <message>
        <source>Les nuits seront publiées sur votre serveur.</source>
        <translation>Les nuits seront publiées sur votre serveur.</translation>
    </message>
    <message>
        <source>Test de la connexion…</source>
        <translation>Test de la connexion…</translation>
    </message>
    <message>
        <source>Connexion réussie : le serveur répond et accepte votre identifiant. Aucune nuit n’y est encore publiée.</source>
        <translation>Connexion réussie : le serveur répond et accepte votre identifiant. Aucune nuit n’y est encore publiée.</translation>
    </message>
    <message numerus="yes">
        <source>Connexion réussie : le serveur répond et accepte votre identifiant. %1 nuits y sont publiées.</source>
        <translation>
            <numerusform>Connexion réussie : le serveur répond et accepte votre identifiant. %1 nuit y est publiée.</numerusform>
            <numerusform>Connexion réussie : le serveur répond et accepte votre identifiant. %1 nuits y sont publiées.</numerusform>
        </translation>
    </message>
    <message>
        <source>Les nuits seront publiées dans votre iCloud privé.</source>
        <translation>Les nuits seront publiées dans votre iCloud privé.</translation>
    </message>
    <message>
        <source>Les nuits seront publiées dans votre iCloud privé dès que vous serez connecté.</source>
        <translation>Les nuits seront publiées dans votre iCloud privé dès que vous serez connecté.</translation>
    </message>
    <message>
        <source>Connectez-vous dans la page ouverte dans votre navigateur.</source>
        <translation>Connectez-vous dans la page ouverte dans votre navigateur.</translation>
    </message>
    <message>
        <source>Déconnecté d’iCloud : plus aucune nuit n’y sera publiée avant une nouvelle connexion.</source>
        <translation>Déconnecté d’iCloud : plus aucune nuit n’y sera publiée avant une nouvelle connexion.</translation>
    </message>
    <message>
        <source>Ce serveur ne respecte pas les envois conditionnels. Chaque envoi y est donc relu, pour qu’aucun ordinateur n’efface les nuits d’un autre.</source>
        <translation>Ce serveur ne respecte pas les envois conditionnels. Chaque envoi y est donc relu, pour qu’aucun ordinateur n’efface les nuits d’un autre.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Velunora Sync : importe les nuits de la carte SD d’un appareil de PPC ResMed et les publie pour l’app du téléphone. Vit dans la zone de notification ; lancé une seconde fois, affiche son panneau.</source>
        <translation>Velunora Sync : importe les nuits de la carte SD d’un appareil de PPC ResMed et les publie pour l’app du téléphone. Vit dans la zone de notification ; lancé une seconde fois, affiche son panneau.</translation>
    </message>
    <message>
        <source>Écrit le détail de ce que fait l’app sur la sortie d’erreur, pour signaler un problème.</source>
        <translation>Écrit le détail de ce que fait l’app sur la sortie d’erreur, pour signaler un problème.</translation>
    </message>
    <message>
        <source>Affiche cette aide et s’arrête.</source>
        <translation>Affiche cette aide et s’arrête.</translation>
    </message>
    <message>
        <source>Affiche la version et s’arrête.</source>
        <translation>Affiche la version et s’arrête.</translation>
    </message>
    <message>
        <source>  detect CARTE                  dit si le dossier CARTE est une carte SD prise en charge
                                et quel appareil l’a écrite
</source>
        <translation>  detect CARTE                  dit si le dossier CARTE est une carte SD prise en charge
                                et quel appareil l’a écrite
</translation>
    </message>
    <message>
        <source>  import CARTE [--json FICHIER [--pretty]]
                                importe la carte, affiche une ligne par nuit et, avec
                                --json, écrit l’instantané JSON dans FICHIER (compact ;
                                indenté pour la lecture avec --pretty)
</source>
        <translation>  import CARTE [--json FICHIER [--pretty]]
                                importe la carte, affiche une ligne par nuit et, avec
                                --json, écrit l’instantané JSON dans FICHIER (compact ;
                                indenté pour la lecture avec --pretty)
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
        <translation>  generate DOSSIER [--nights N] [--seed S] [--first-night AAAA-MM-JJ] [--airsense11]
           [--varied] [--force]
                                écrit une carte de démonstration dans DOSSIER, vide ou
                                nouveau (--force : même s’il ne l’est pas) ; avec
                                --varied, des nuits de durées variées et quelques nuits
                                sans appareil, sinon 8 h chaque nuit
</translation>
    </message>
    <message>
        <source>  sync CARTE [--verbose]        synchronise la carte : import, fusion avec l’export
                                précédent, publication puis export local
</source>
        <translation>  sync CARTE [--verbose]        synchronise la carte : import, fusion avec l’export
                                précédent, publication puis export local
</translation>
    </message>
    <message>
        <source>  reset [--yes] [--verbose]     efface les données publiées et l’export local, après
                                confirmation (--yes la donne d’avance, requis sans
                                terminal)
</source>
        <translation>  reset [--yes] [--verbose]     efface les données publiées et l’export local, après
                                confirmation (--yes la donne d’avance, requis sans
                                terminal)
</translation>
    </message>
    <message>
        <source>  sign-in [--verbose]           connecte Velunora Sync à iCloud : affiche l’adresse
                                de connexion et attend le retour du navigateur
</source>
        <translation>  sign-in [--verbose]           connecte Velunora Sync à iCloud : affiche l’adresse
                                de connexion et attend le retour du navigateur
</translation>
    </message>
    <message>
        <source>  sign-out                      ferme la session iCloud
</source>
        <translation>  sign-out                      ferme la session iCloud
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
        <translation>  report [--from AAAA-MM-JJ] [--to AAAA-MM-JJ] [--pdf FICHIER] [--csv FICHIER]
         [--snapshot FICHIER]
                                affiche l’utilisation des nuits publiées sur la période
                                (par défaut les 30 jours qui finissent à la dernière nuit)
                                et écrit le rapport PDF pour le médecin et le tableau CSV
                                des nuits ; --snapshot lit un instantané JSON à la place
</translation>
    </message>
    <message>
        <source>  help [COMMANDE]               affiche cette aide, ou celle d’une commande
</source>
        <translation>  help [COMMANDE]               affiche cette aide, ou celle d’une commande
</translation>
    </message>
    <message>
        <source>Utilisation : velunora-card COMMANDE [ARGUMENTS]

Commandes :
</source>
        <translation>Utilisation : velunora-card COMMANDE [ARGUMENTS]

Commandes :
</translation>
    </message>
    <message>
        <source>
Codes de sortie : 0 réussite, 1 échec, 2 mauvaise utilisation.
</source>
        <translation>
Codes de sortie : 0 réussite, 1 échec, 2 mauvaise utilisation.
</translation>
    </message>
    <message>
        <source>1 nuit</source>
        <translation>1 nuit</translation>
    </message>
    <message>
        <source>%1 nuits</source>
        <translation>%1 nuits</translation>
    </message>
    <message>
        <source>Le dossier « %1 » n’existe pas.</source>
        <translation>Le dossier « %1 » n’existe pas.</translation>
    </message>
    <message>
        <source>« %1 » n’est pas un dossier : donnez la racine de la carte.</source>
        <translation>« %1 » n’est pas un dossier : donnez la racine de la carte.</translation>
    </message>
    <message>
        <source>« %1 » : </source>
        <translation>« %1 » : </translation>
    </message>
    <message>
        <source>inconnu</source>
        <translation>inconnu</translation>
    </message>
    <message>
        <source>numéro de série %1</source>
        <translation>numéro de série %1</translation>
    </message>
    <message>
        <source>Lecture de la carte…</source>
        <translation>Lecture de la carte…</translation>
    </message>
    <message>
        <source>nuit</source>
        <translation>nuit</translation>
    </message>
    <message>
        <source>heures</source>
        <translation>heures</translation>
    </message>
    <message>
        <source>IAH</source>
        <translation>IAH</translation>
    </message>
    <message>
        <source>IDR</source>
        <translation>IDR</translation>
    </message>
    <message>
        <source>pression</source>
        <translation>pression</translation>
    </message>
    <message>
        <source>fuite P95</source>
        <translation>fuite P95</translation>
    </message>
    <message>
        <source>observance</source>
        <translation>observance</translation>
    </message>
    <message>
        <source>oui</source>
        <translation>oui</translation>
    </message>
    <message>
        <source>non</source>
        <translation>non</translation>
    </message>
    <message>
        <source>--nights attend un nombre de 1 à 3660</source>
        <translation>--nights attend un nombre de 1 à 3660</translation>
    </message>
    <message>
        <source>--first-night attend une date AAAA-MM-JJ</source>
        <translation>--first-night attend une date AAAA-MM-JJ</translation>
    </message>
    <message>
        <source>Le dossier « %1 » n’est pas vide : la carte de démonstration n’y est pas écrite. Donnez un dossier vide ou nouveau, ou ajoutez --force.</source>
        <translation>Le dossier « %1 » n’est pas vide : la carte de démonstration n’y est pas écrite. Donnez un dossier vide ou nouveau, ou ajoutez --force.</translation>
    </message>
    <message>
        <source>Carte de démonstration écrite dans %1 :</source>
        <translation>Carte de démonstration écrite dans %1 :</translation>
    </message>
    <message>
        <source>velunora-card : option inconnue « %1 » pour « %2 »</source>
        <translation>velunora-card : option inconnue « %1 » pour « %2 »</translation>
    </message>
    <message>
        <source>velunora-card reset : efface les nuits publiées et l’export local ; sans terminal pour le confirmer, ajoutez --yes.</source>
        <translation>velunora-card reset : efface les nuits publiées et l’export local ; sans terminal pour le confirmer, ajoutez --yes.</translation>
    </message>
    <message>
        <source>Effacer les nuits publiées et l’export local ? La carte n’est jamais touchée. [o/N]</source>
        <translation>Effacer les nuits publiées et l’export local ? La carte n’est jamais touchée. [o/N]</translation>
    </message>
    <message>
        <source>Rien n’a été effacé.</source>
        <translation>Rien n’a été effacé.</translation>
    </message>
    <message>
        <source>velunora-card : commande inconnue « %1 »</source>
        <translation>velunora-card : commande inconnue « %1 »</translation>
    </message>
    <message>
        <source>velunora-sync : %1</source>
        <translation>velunora-sync : %1</translation>
    </message>
</context>
<context>
    <name>HeadlessSyncTexts</name>
    <message>
        <source>Le conteneur iCloud de Velunora Sync n’est pas configuré : indiquez son identifiant et son jeton d’API dans les réglages (« icloud-container », « icloud-api-token ») ou à la compilation.</source>
        <translation>Le conteneur iCloud de Velunora Sync n’est pas configuré : indiquez son identifiant et son jeton d’API dans les réglages (« icloud-container », « icloud-api-token ») ou à la compilation.</translation>
    </message>
    <message>
        <source>Ouvrez cette adresse dans un navigateur de cet ordinateur pour vous connecter à iCloud :</source>
        <translation>Ouvrez cette adresse dans un navigateur de cet ordinateur pour vous connecter à iCloud :</translation>
    </message>
    <message>
        <source>En attente du retour de la page de connexion…</source>
        <translation>En attente du retour de la page de connexion…</translation>
    </message>
    <message>
        <source>Session iCloud fermée.</source>
        <translation>Session iCloud fermée.</translation>
    </message>
    <message>
        <source>Export local : %1</source>
        <translation>Export local : %1</translation>
    </message>
</context>
<context>
    <name>HistoryView</name>
    <message>
        <source>Historique des nuits</source>
        <translation>Historique des nuits</translation>
    </message>
    <message>
        <source>30 jours</source>
        <translation>30 jours</translation>
    </message>
    <message>
        <source>90 jours</source>
        <translation>90 jours</translation>
    </message>
    <message>
        <source>1 an</source>
        <translation>1 an</translation>
    </message>
    <message>
        <source>Tout</source>
        <translation>Tout</translation>
    </message>
    <message>
        <source>Période : %1</source>
        <translation>Période : %1</translation>
    </message>
    <message>
        <source>Nuits de la période</source>
        <translation>Nuits de la période</translation>
    </message>
    <message>
        <source>%1 : %2, IAH %3</source>
        <translation>%1 : %2, IAH %3</translation>
    </message>
    <message>
        <source>Heures d’utilisation par nuit</source>
        <translation>Heures d’utilisation par nuit</translation>
    </message>
    <message>
        <source>Rapport…</source>
        <translation>Rapport…</translation>
    </message>
    <message>
        <source>Enregistre le rapport PDF et le tableau CSV de la période pour le médecin</source>
        <translation>Enregistre le rapport PDF et le tableau CSV de la période pour le médecin</translation>
    </message>
    <message>
        <source>h</source>
        <translation>h</translation>
    </message>
    <message>
        <source>Heures d’utilisation par nuit, trait à 4 h</source>
        <translation>Heures d’utilisation par nuit, trait à 4 h</translation>
    </message>
    <message>
        <source>IAH par nuit</source>
        <translation>IAH par nuit</translation>
    </message>
    <message>
        <source>/h</source>
        <translation>/h</translation>
    </message>
    <message>
        <source>IAH par nuit, trait à 5 par heure</source>
        <translation>IAH par nuit, trait à 5 par heure</translation>
    </message>
    <message>
        <source>Sessions</source>
        <translation>Sessions</translation>
    </message>
    <message>
        <source>Pression (cmH₂O)</source>
        <translation>Pression (cmH₂O)</translation>
    </message>
    <message>
        <source>Fuite (L/min)</source>
        <translation>Fuite (L/min)</translation>
    </message>
    <message>
        <source>Débit (L/min), événements marqués</source>
        <translation>Débit (L/min), événements marqués</translation>
    </message>
    <message>
        <source>Les courbes de pression, de fuite et de débit sont gardées pour les dernières nuits seulement.</source>
        <translation>Les courbes de pression, de fuite et de débit sont gardées pour les dernières nuits seulement.</translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <source>Historique des nuits</source>
        <translation>Historique des nuits</translation>
    </message>
</context>
<context>
    <name>ICloudForm</name>
    <message>
        <source>Connecté à iCloud sur cet ordinateur.</source>
        <translation>Connecté à iCloud sur cet ordinateur.</translation>
    </message>
    <message>
        <source>Pas encore connecté à iCloud sur cet ordinateur.</source>
        <translation>Pas encore connecté à iCloud sur cet ordinateur.</translation>
    </message>
    <message>
        <source>Se connecter à iCloud…</source>
        <translation>Se connecter à iCloud…</translation>
    </message>
    <message>
        <source>Se déconnecter</source>
        <translation>Se déconnecter</translation>
    </message>
    <message>
        <source>Publier dans iCloud</source>
        <translation>Publier dans iCloud</translation>
    </message>
    <message>
        <source>Connecté au compte iCloud de %1 sur cet ordinateur.</source>
        <translation>Connecté au compte iCloud de %1 sur cet ordinateur.</translation>
    </message>
</context>
<context>
    <name>ICloudSignInTexts</name>
    <message>
        <source>Le port %1 de cet ordinateur est déjà occupé : une autre connexion à iCloud est peut-être en cours.</source>
        <translation>Le port %1 de cet ordinateur est déjà occupé : une autre connexion à iCloud est peut-être en cours.</translation>
    </message>
    <message>
        <source>La connexion à iCloud n’a pas abouti : la page de connexion n’a rien renvoyé en %1 minutes.</source>
        <translation>La connexion à iCloud n’a pas abouti : la page de connexion n’a rien renvoyé en %1 minutes.</translation>
    </message>
    <message>
        <source>La connexion à iCloud a réussi, mais le trousseau du bureau (Secret Service) n’a pas pu la garder : ouvrez ou déverrouillez un trousseau (GNOME Keyring, KWallet…), puis connectez-vous à nouveau.</source>
        <translation>La connexion à iCloud a réussi, mais le trousseau du bureau (Secret Service) n’a pas pu la garder : ouvrez ou déverrouillez un trousseau (GNOME Keyring, KWallet…), puis connectez-vous à nouveau.</translation>
    </message>
    <message>
        <source>Connecté à iCloud.</source>
        <translation>Connecté à iCloud.</translation>
    </message>
    <message>
        <source>Connecté au compte iCloud de %1.</source>
        <translation>Connecté au compte iCloud de %1.</translation>
    </message>
</context>
<context>
    <name>LastNightView</name>
    <message>
        <source>Historique…</source>
        <translation>Historique…</translation>
    </message>
    <message>
        <source>Utilisation : %1</source>
        <translation>Utilisation : %1</translation>
    </message>
    <message>
        <source>Au moins 4 h</source>
        <translation>Au moins 4 h</translation>
    </message>
    <message>
        <source>IAH %1</source>
        <translation>IAH %1</translation>
    </message>
    <message>
        <source>Fuite (95e centile) %1</source>
        <translation>Fuite (95e centile) %1</translation>
    </message>
</context>
<context>
    <name>LastSyncText</name>
    <message>
        <source>Dernière synchronisation : aujourd’hui à %1</source>
        <translation>Dernière synchronisation : aujourd’hui à %1</translation>
    </message>
    <message>
        <source>Dernière synchronisation : hier à %1</source>
        <translation>Dernière synchronisation : hier à %1</translation>
    </message>
    <message>
        <source>Dernière synchronisation : le %1 à %2</source>
        <translation>Dernière synchronisation : le %1 à %2</translation>
    </message>
</context>
<context>
    <name>LocalCloudStoreTexts</name>
    <message>
        <source>Le disque est plein : les données n’ont pas pu être enregistrées dans le dossier «&#xa0;%1&#xa0;».</source>
        <translation>Le disque est plein : les données n’ont pas pu être enregistrées dans le dossier «&#xa0;%1&#xa0;».</translation>
    </message>
    <message>
        <source>Les données n’ont pas pu être enregistrées dans le dossier «&#xa0;%1&#xa0;».</source>
        <translation>Les données n’ont pas pu être enregistrées dans le dossier «&#xa0;%1&#xa0;».</translation>
    </message>
    <message>
        <source>Le dossier «&#xa0;%1&#xa0;» contient des données publiées illisibles.</source>
        <translation>Le dossier «&#xa0;%1&#xa0;» contient des données publiées illisibles.</translation>
    </message>
    <message>
        <source>Le dossier «&#xa0;%1&#xa0;» est occupé par un autre programme. Réessayez dans un instant.</source>
        <translation>Le dossier «&#xa0;%1&#xa0;» est occupé par un autre programme. Réessayez dans un instant.</translation>
    </message>
    <message>
        <source>Aucune donnée publiée n’a été trouvée dans le dossier «&#xa0;%1&#xa0;».</source>
        <translation>Aucune donnée publiée n’a été trouvée dans le dossier «&#xa0;%1&#xa0;».</translation>
    </message>
    <message>
        <source>Les données publiées ont été modifiées ailleurs entre-temps. Relancez la synchronisation.</source>
        <translation>Les données publiées ont été modifiées ailleurs entre-temps. Relancez la synchronisation.</translation>
    </message>
    <message>
        <source>Le nom «&#xa0;%1&#xa0;» ne convient pas à un enregistrement.</source>
        <translation>Le nom «&#xa0;%1&#xa0;» ne convient pas à un enregistrement.</translation>
    </message>
</context>
<context>
    <name>LocalFolderForm</name>
    <message>
        <source>Dossier</source>
        <translation>Dossier</translation>
    </message>
    <message>
        <source>Choisissez un dossier qu’un client de synchronisation (Nextcloud, Syncthing…) porte déjà jusqu’à votre téléphone pour que l’app les y trouve.</source>
        <translation>Choisissez un dossier qu’un client de synchronisation (Nextcloud, Syncthing…) porte déjà jusqu’à votre téléphone pour que l’app les y trouve.</translation>
    </message>
    <message>
        <source>Choisir un dossier…</source>
        <translation>Choisir un dossier…</translation>
    </message>
    <message>
        <source>Publier dans ce dossier</source>
        <translation>Publier dans ce dossier</translation>
    </message>
</context>
<context>
    <name>NightsReport</name>
    <message>
        <source>%1, numéro de série %2</source>
        <translation>%1, numéro de série %2</translation>
    </message>
    <message>
        <source>inconnu</source>
        <translation>inconnu</translation>
    </message>
    <message>
        <source>Velunora Sync · page %1 sur %2</source>
        <translation>Velunora Sync · page %1 sur %2</translation>
    </message>
    <message>
        <source>Relevé d’utilisation de l’appareil de PPC</source>
        <translation>Relevé d’utilisation de l’appareil de PPC</translation>
    </message>
    <message>
        <source>Appareil : %1</source>
        <translation>Appareil : %1</translation>
    </message>
    <message>
        <source>Établi le %1 à partir des nuits enregistrées par l’appareil. Les jours sans utilisation comptent pour 0 h.</source>
        <translation>Établi le %1 à partir des nuits enregistrées par l’appareil. Les jours sans utilisation comptent pour 0 h.</translation>
    </message>
    <message>
        <source>Heures d’utilisation par nuit</source>
        <translation>Heures d’utilisation par nuit</translation>
    </message>
    <message>
        <source>%1 h</source>
        <translation>%1 h</translation>
    </message>
    <message>
        <source>Trait pointillé : 4 h. En orange : les nuits de moins de 4 h.</source>
        <translation>Trait pointillé : 4 h. En orange : les nuits de moins de 4 h.</translation>
    </message>
    <message>
        <source>Nuit</source>
        <translation>Nuit</translation>
    </message>
    <message>
        <source>Utilisation</source>
        <translation>Utilisation</translation>
    </message>
    <message>
        <source>IAH</source>
        <translation>IAH</translation>
    </message>
    <message>
        <source>Pression moy.</source>
        <translation>Pression moy.</translation>
    </message>
    <message>
        <source>Pression 95e</source>
        <translation>Pression 95e</translation>
    </message>
    <message>
        <source>Fuite 95e</source>
        <translation>Fuite 95e</translation>
    </message>
    <message>
        <source>≥ 4 h</source>
        <translation>≥ 4 h</translation>
    </message>
    <message>
        <source>Les nuits</source>
        <translation>Les nuits</translation>
    </message>
    <message>
        <source>—</source>
        <translation>—</translation>
    </message>
    <message>
        <source>oui</source>
        <translation>oui</translation>
    </message>
    <message>
        <source>non</source>
        <translation>non</translation>
    </message>
    <message>
        <source>Aucune nuit enregistrée dans la période.</source>
        <translation>Aucune nuit enregistrée dans la période.</translation>
    </message>
    <message>
        <source>Le rapport n’a pas pu être écrit dans « %1 » : %2</source>
        <translation>Le rapport n’a pas pu être écrit dans « %1 » : %2</translation>
    </message>
    <message>
        <source>Le rapport n’a pas pu être dessiné.</source>
        <translation>Le rapport n’a pas pu être dessiné.</translation>
    </message>
</context>
<context>
    <name>Onboarding</name>
    <message>
        <source>Bienvenue dans Velunora Sync</source>
        <translation>Bienvenue dans Velunora Sync</translation>
    </message>
</context>
<context>
    <name>OnboardingPageAccess</name>
    <message>
        <source>ACCÈS À LA CARTE</source>
        <translation>ACCÈS À LA CARTE</translation>
    </message>
    <message>
        <source>Vous gardez le contrôle sur l’accès.</source>
        <translation>Vous gardez le contrôle sur l’accès.</translation>
    </message>
    <message>
        <source>La première fois, choisissez la racine de la carte SD. Ce choix est mémorisé pour les prochaines insertions.</source>
        <translation>La première fois, choisissez la racine de la carte SD. Ce choix est mémorisé pour les prochaines insertions.</translation>
    </message>
    <message>
        <source>Choisissez la carte SD</source>
        <translation>Choisissez la carte SD</translation>
    </message>
    <message>
        <source>La carte est reconnue et prête à être synchronisée.</source>
        <translation>La carte est reconnue et prête à être synchronisée.</translation>
    </message>
    <message>
        <source>Sélectionnez le volume qui contient les données de votre appareil.</source>
        <translation>Sélectionnez le volume qui contient les données de votre appareil.</translation>
    </message>
    <message>
        <source>Changer de carte…</source>
        <translation>Changer de carte…</translation>
    </message>
    <message>
        <source>Choisir une carte SD…</source>
        <translation>Choisir une carte SD…</translation>
    </message>
</context>
<context>
    <name>OnboardingPageCard</name>
    <message>
        <source>UNE FOIS VOTRE NUIT TERMINÉE</source>
        <translation>UNE FOIS VOTRE NUIT TERMINÉE</translation>
    </message>
    <message>
        <source>Insérez simplement la carte SD dans cet ordinateur.</source>
        <translation>Insérez simplement la carte SD dans cet ordinateur.</translation>
    </message>
    <message>
        <source>Avant de la retirer de l’appareil, arrêtez le traitement, débranchez l’alimentation puis sortez doucement la carte.</source>
        <translation>Avant de la retirer de l’appareil, arrêtez le traitement, débranchez l’alimentation puis sortez doucement la carte.</translation>
    </message>
    <message>
        <source>Arrêter</source>
        <translation>Arrêter</translation>
    </message>
    <message>
        <source>Attendez l’arrêt du souffle</source>
        <translation>Attendez l’arrêt du souffle</translation>
    </message>
    <message>
        <source>Débrancher</source>
        <translation>Débrancher</translation>
    </message>
    <message>
        <source>Retirez l’alimentation</source>
        <translation>Retirez l’alimentation</translation>
    </message>
    <message>
        <source>Insérer</source>
        <translation>Insérer</translation>
    </message>
    <message>
        <source>Placez la carte dans l’ordinateur</source>
        <translation>Placez la carte dans l’ordinateur</translation>
    </message>
</context>
<context>
    <name>OnboardingPageReady</name>
    <message>
        <source>TOUT EST PRÊT</source>
        <translation>TOUT EST PRÊT</translation>
    </message>
    <message>
        <source>Les prochaines nuits arriveront toutes seules.</source>
        <translation>Les prochaines nuits arriveront toutes seules.</translation>
    </message>
    <message>
        <source>Import automatique</source>
        <translation>Import automatique</translation>
    </message>
    <message>
        <source>Synchroniser dès qu’une carte compatible est insérée</source>
        <translation>Synchroniser dès qu’une carte compatible est insérée</translation>
    </message>
    <message>
        <source>Ouvrir à la connexion</source>
        <translation>Ouvrir à la connexion</translation>
    </message>
    <message>
        <source>Lancer discrètement Velunora Sync avec votre session</source>
        <translation>Lancer discrètement Velunora Sync avec votre session</translation>
    </message>
    <message>
        <source>Vous pourrez toujours rouvrir Velunora Sync depuis son icône en forme de lune, dans la barre de votre bureau, ou depuis la liste de vos applications.</source>
        <translation>Vous pourrez toujours rouvrir Velunora Sync depuis son icône en forme de lune, dans la barre de votre bureau, ou depuis la liste de vos applications.</translation>
    </message>
</context>
<context>
    <name>OnboardingPageWelcome</name>
    <message>
        <source>BIENVENUE DANS VELUNORA SYNC</source>
        <translation>BIENVENUE DANS VELUNORA SYNC</translation>
    </message>
    <message>
        <source>Carte SD</source>
        <translation>Carte SD</translation>
    </message>
    <message>
        <source>Cet ordinateur</source>
        <translation>Cet ordinateur</translation>
    </message>
    <message>
        <source>Le lien discret entre votre appareil et votre iPhone.</source>
        <comment>icloud</comment>
        <translation>Le lien discret entre votre appareil et votre iPhone.</translation>
    </message>
    <message>
        <source>Le lien discret entre votre appareil et votre serveur.</source>
        <translation>Le lien discret entre votre appareil et votre serveur.</translation>
    </message>
    <message>
        <source>Le lien discret entre votre appareil et cet ordinateur.</source>
        <translation>Le lien discret entre votre appareil et cet ordinateur.</translation>
    </message>
    <message>
        <source>Velunora Sync travaille en arrière-plan et transmet automatiquement les nouvelles nuits vers votre espace iCloud privé.</source>
        <translation>Velunora Sync travaille en arrière-plan et transmet automatiquement les nouvelles nuits vers votre espace iCloud privé.</translation>
    </message>
    <message>
        <source>Velunora Sync travaille en arrière-plan et transmet automatiquement les nouvelles nuits vers votre serveur.</source>
        <translation>Velunora Sync travaille en arrière-plan et transmet automatiquement les nouvelles nuits vers votre serveur.</translation>
    </message>
    <message>
        <source>Velunora Sync travaille en arrière-plan et range automatiquement les nouvelles nuits dans un dossier de cet ordinateur.</source>
        <translation>Velunora Sync travaille en arrière-plan et range automatiquement les nouvelles nuits dans un dossier de cet ordinateur.</translation>
    </message>
</context>
<context>
    <name>OnboardingView</name>
    <message>
        <source>SYNC POUR LINUX</source>
        <translation>SYNC POUR LINUX</translation>
    </message>
    <message>
        <source>Bienvenue</source>
        <translation>Bienvenue</translation>
    </message>
    <message>
        <source>Carte SD</source>
        <translation>Carte SD</translation>
    </message>
    <message>
        <source>Autorisation</source>
        <translation>Autorisation</translation>
    </message>
    <message>
        <source>Prêt</source>
        <translation>Prêt</translation>
    </message>
    <message>
        <source>Lecture seule</source>
        <translation>Lecture seule</translation>
    </message>
    <message>
        <source>Votre carte SD n’est jamais modifiée.</source>
        <translation>Votre carte SD n’est jamais modifiée.</translation>
    </message>
    <message>
        <source>Plus tard</source>
        <translation>Plus tard</translation>
    </message>
    <message>
        <source>Retour</source>
        <translation>Retour</translation>
    </message>
    <message>
        <source>Terminer</source>
        <translation>Terminer</translation>
    </message>
    <message>
        <source>Continuer</source>
        <translation>Continuer</translation>
    </message>
</context>
<context>
    <name>PAPCardImportError</name>
    <message>
        <source>vous n’avez pas l’autorisation de lire le dossier «&#xa0;DATALOG&#xa0;»</source>
        <translation>vous n’avez pas l’autorisation de lire le dossier «&#xa0;DATALOG&#xa0;»</translation>
    </message>
    <message>
        <source>le dossier DATALOG est inaccessible</source>
        <translation>le dossier DATALOG est inaccessible</translation>
    </message>
    <message>
        <source>données tronquées dans </source>
        <translation>données tronquées dans </translation>
    </message>
    <message>
        <source> est incomplet</source>
        <translation> est incomplet</translation>
    </message>
    <message>
        <source>en-tête EDF invalide dans </source>
        <translation>en-tête EDF invalide dans </translation>
    </message>
    <message>
        <source>description EDF invalide</source>
        <translation>description EDF invalide</translation>
    </message>
    <message>
        <source>date EDF invalide dans </source>
        <translation>date EDF invalide dans </translation>
    </message>
    <message>
        <source>La carte SD n’a pas pu être lue : </source>
        <translation>La carte SD n’a pas pu être lue : </translation>
    </message>
    <message>
        <source>Ce dossier ne contient pas une carte PPC compatible.</source>
        <translation>Ce dossier ne contient pas une carte PPC compatible.</translation>
    </message>
    <message>
        <source>Aucune session détaillée n’a été trouvée sur cette carte SD.</source>
        <translation>Aucune session détaillée n’a été trouvée sur cette carte SD.</translation>
    </message>
    <message>
        <source>la carte a été retirée ou ne répond plus pendant la lecture de «&#xa0;%1&#xa0;»</source>
        <translation>la carte a été retirée ou ne répond plus pendant la lecture de «&#xa0;%1&#xa0;»</translation>
    </message>
</context>
<context>
    <name>PlatformError</name>
    <message>
        <source>Le fichier «&#xa0;%1&#xa0;» n’existe pas.</source>
        <translation>Le fichier «&#xa0;%1&#xa0;» n’existe pas.</translation>
    </message>
    <message>
        <source>Vous ne disposez pas de l’autorisation nécessaire pour ouvrir le fichier «&#xa0;%1&#xa0;».</source>
        <translation>Vous ne disposez pas de l’autorisation nécessaire pour ouvrir le fichier «&#xa0;%1&#xa0;».</translation>
    </message>
    <message>
        <source>«&#xa0;%1&#xa0;» est un dossier, pas un fichier.</source>
        <translation>«&#xa0;%1&#xa0;» est un dossier, pas un fichier.</translation>
    </message>
    <message>
        <source>«&#xa0;%1&#xa0;» n’est pas un fichier ordinaire.</source>
        <translation>«&#xa0;%1&#xa0;» n’est pas un fichier ordinaire.</translation>
    </message>
    <message>
        <source>Le fichier «&#xa0;%1&#xa0;» est trop volumineux pour être lu.</source>
        <translation>Le fichier «&#xa0;%1&#xa0;» est trop volumineux pour être lu.</translation>
    </message>
    <message>
        <source>Le fichier «&#xa0;%1&#xa0;» n’a pas pu être lu.</source>
        <translation>Le fichier «&#xa0;%1&#xa0;» n’a pas pu être lu.</translation>
    </message>
    <message>
        <source>Le disque est plein&#xa0;: «&#xa0;%1&#xa0;» n’a pas pu être enregistré.</source>
        <translation>Le disque est plein&#xa0;: «&#xa0;%1&#xa0;» n’a pas pu être enregistré.</translation>
    </message>
    <message>
        <source>Vous ne disposez pas de l’autorisation nécessaire pour enregistrer «&#xa0;%1&#xa0;».</source>
        <translation>Vous ne disposez pas de l’autorisation nécessaire pour enregistrer «&#xa0;%1&#xa0;».</translation>
    </message>
    <message>
        <source>«&#xa0;%1&#xa0;» n’a pas pu être enregistré&#xa0;: le volume est en lecture seule.</source>
        <translation>«&#xa0;%1&#xa0;» n’a pas pu être enregistré&#xa0;: le volume est en lecture seule.</translation>
    </message>
    <message>
        <source>«&#xa0;%1&#xa0;» n’a pas pu être enregistré : un dossier porte ce nom.</source>
        <translation>«&#xa0;%1&#xa0;» n’a pas pu être enregistré : un dossier porte ce nom.</translation>
    </message>
    <message>
        <source>«&#xa0;%1&#xa0;» n’a pas pu être enregistré : un élément qui n’est pas un fichier ordinaire porte ce nom.</source>
        <translation>«&#xa0;%1&#xa0;» n’a pas pu être enregistré : un élément qui n’est pas un fichier ordinaire porte ce nom.</translation>
    </message>
    <message>
        <source>«&#xa0;%1&#xa0;» n’a pas pu être enregistré.</source>
        <translation>«&#xa0;%1&#xa0;» n’a pas pu être enregistré.</translation>
    </message>
    <message>
        <source>Vous ne disposez pas de l’autorisation nécessaire pour supprimer le fichier «&#xa0;%1&#xa0;».</source>
        <translation>Vous ne disposez pas de l’autorisation nécessaire pour supprimer le fichier «&#xa0;%1&#xa0;».</translation>
    </message>
    <message>
        <source>Le fichier «&#xa0;%1&#xa0;» n’a pas pu être supprimé.</source>
        <translation>Le fichier «&#xa0;%1&#xa0;» n’a pas pu être supprimé.</translation>
    </message>
    <message>
        <source>Le dossier «&#xa0;%1&#xa0;» appartient à un autre utilisateur ou tout le monde peut y écrire&#xa0;: vos nuits n’y sont pas enregistrées.</source>
        <translation>Le dossier «&#xa0;%1&#xa0;» appartient à un autre utilisateur ou tout le monde peut y écrire&#xa0;: vos nuits n’y sont pas enregistrées.</translation>
    </message>
</context>
<context>
    <name>ReportCommand</name>
    <message>
        <source>velunora-card report : %1</source>
        <translation>velunora-card report : %1</translation>
    </message>
    <message>
        <source>Aucune nuit publiée dans « %1 » : synchronisez d’abord une carte (velunora-card sync CARTE).</source>
        <translation>Aucune nuit publiée dans « %1 » : synchronisez d’abord une carte (velunora-card sync CARTE).</translation>
    </message>
    <message>
        <source>Le fichier « %1 » n’existe pas ou ne peut pas être lu.</source>
        <translation>Le fichier « %1 » n’existe pas ou ne peut pas être lu.</translation>
    </message>
    <message>
        <source>« %1 » n’est pas un instantané de nuits : %2</source>
        <translation>« %1 » n’est pas un instantané de nuits : %2</translation>
    </message>
    <message>
        <source>il manque la valeur de « %1 »</source>
        <translation>il manque la valeur de « %1 »</translation>
    </message>
    <message>
        <source>« %1 » n’est pas une date AAAA-MM-JJ</source>
        <translation>« %1 » n’est pas une date AAAA-MM-JJ</translation>
    </message>
    <message>
        <source>argument inattendu « %1 »</source>
        <translation>argument inattendu « %1 »</translation>
    </message>
    <message>
        <source>L’instantané ne contient aucune nuit.</source>
        <translation>L’instantané ne contient aucune nuit.</translation>
    </message>
    <message>
        <source>la date de --from est après celle de --to</source>
        <translation>la date de --from est après celle de --to</translation>
    </message>
    <message>
        <source>%1 : %2</source>
        <translation>%1 : %2</translation>
    </message>
    <message>
        <source>Rapport écrit dans %1</source>
        <translation>Rapport écrit dans %1</translation>
    </message>
    <message>
        <source>Tableau des nuits écrit dans %1</source>
        <translation>Tableau des nuits écrit dans %1</translation>
    </message>
</context>
<context>
    <name>ReportSaving</name>
    <message>
        <source>Velunora – nuits du %1 au %2.pdf</source>
        <translation>Velunora – nuits du %1 au %2.pdf</translation>
    </message>
    <message>
        <source>Enregistrer le rapport pour le médecin</source>
        <translation>Enregistrer le rapport pour le médecin</translation>
    </message>
    <message>
        <source>Document PDF (*.pdf)</source>
        <translation>Document PDF (*.pdf)</translation>
    </message>
    <message>
        <source>Rapport non enregistré</source>
        <translation>Rapport non enregistré</translation>
    </message>
</context>
<context>
    <name>ResetConfirmationDialog</name>
    <message>
        <source>Réinitialiser toutes les données Velunora ?</source>
        <translation>Réinitialiser toutes les données Velunora ?</translation>
    </message>
    <message>
        <source>Annuler</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Les données présentes dans iCloud et l’export local seront supprimées. La carte SD ne sera jamais modifiée.</source>
        <comment>icloud</comment>
        <translation>Les données présentes dans iCloud et l’export local seront supprimées. La carte SD ne sera jamais modifiée.</translation>
    </message>
    <message>
        <source>Les données publiées sur votre serveur et l’export local seront supprimés. La carte SD ne sera jamais modifiée.</source>
        <translation>Les données publiées sur votre serveur et l’export local seront supprimés. La carte SD ne sera jamais modifiée.</translation>
    </message>
    <message>
        <source>Les données publiées sur cet ordinateur et l’export local seront supprimés. La carte SD ne sera jamais modifiée.</source>
        <translation>Les données publiées sur cet ordinateur et l’export local seront supprimés. La carte SD ne sera jamais modifiée.</translation>
    </message>
    <message>
        <source>Effacer les données iCloud et locales</source>
        <comment>icloud</comment>
        <translation>Effacer les données iCloud et locales</translation>
    </message>
    <message>
        <source>Effacer les données du serveur et locales</source>
        <translation>Effacer les données du serveur et locales</translation>
    </message>
    <message>
        <source>Effacer les données publiées et locales</source>
        <translation>Effacer les données publiées et locales</translation>
    </message>
</context>
<context>
    <name>SavedCardLocation</name>
    <message>
        <source>Le dossier de la carte SD enregistré est illisible. Sélectionnez-le à nouveau.</source>
        <translation>Le dossier de la carte SD enregistré est illisible. Sélectionnez-le à nouveau.</translation>
    </message>
</context>
<context>
    <name>SettingsView</name>
    <message>
        <source>Où publier les nuits</source>
        <translation>Où publier les nuits</translation>
    </message>
    <message>
        <source>Votre iCloud privé, que lit l’app Velunora de votre iPhone.</source>
        <translation>Votre iCloud privé, que lit l’app Velunora de votre iPhone.</translation>
    </message>
    <message>
        <source>Nextcloud ou WebDAV</source>
        <translation>Nextcloud ou WebDAV</translation>
    </message>
    <message>
        <source>Votre propre serveur, en https.</source>
        <translation>Votre propre serveur, en https.</translation>
    </message>
    <message>
        <source>Sur cet ordinateur</source>
        <translation>Sur cet ordinateur</translation>
    </message>
    <message>
        <source>Un dossier de cet ordinateur, sans compte ni serveur.</source>
        <translation>Un dossier de cet ordinateur, sans compte ni serveur.</translation>
    </message>
    <message>
        <source>Export local</source>
        <translation>Export local</translation>
    </message>
    <message>
        <source>Afficher l’export local</source>
        <translation>Afficher l’export local</translation>
    </message>
    <message>
        <source>Importer automatiquement les cartes SD</source>
        <translation>Importer automatiquement les cartes SD</translation>
    </message>
    <message>
        <source>Ouvrir à la connexion</source>
        <translation>Ouvrir à la connexion</translation>
    </message>
    <message>
        <source>Fermer</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Notifier la fin des importations automatiques</source>
        <translation>Notifier la fin des importations automatiques</translation>
    </message>
</context>
<context>
    <name>SettingsWindow</name>
    <message>
        <source>Réglages</source>
        <translation>Réglages</translation>
    </message>
</context>
<context>
    <name>SignInCallbackTexts</name>
    <message>
        <source>Cette adresse attend le retour de la connexion à iCloud.</source>
        <translation>Cette adresse attend le retour de la connexion à iCloud.</translation>
    </message>
    <message>
        <source>Velunora Sync est connecté à iCloud. Vous pouvez fermer cette page.</source>
        <translation>Velunora Sync est connecté à iCloud. Vous pouvez fermer cette page.</translation>
    </message>
    <message>
        <source>Refusé&#xa0;: cette demande ne vient pas de la barre d’adresse du navigateur, mais d’une page web.</source>
        <translation>Refusé&#xa0;: cette demande ne vient pas de la barre d’adresse du navigateur, mais d’une page web.</translation>
    </message>
    <message>
        <source>Refusé&#xa0;: cette demande est mal formée.</source>
        <translation>Refusé&#xa0;: cette demande est mal formée.</translation>
    </message>
    <message>
        <source>Refusé&#xa0;: cette demande vient d’un autre utilisateur de cet ordinateur.</source>
        <translation>Refusé&#xa0;: cette demande vient d’un autre utilisateur de cet ordinateur.</translation>
    </message>
    <message>
        <source>Trop tard&#xa0;: cette connexion à iCloud est déjà terminée ou a expiré. Relancez-la depuis Velunora Sync.</source>
        <translation>Trop tard&#xa0;: cette connexion à iCloud est déjà terminée ou a expiré. Relancez-la depuis Velunora Sync.</translation>
    </message>
    <message>
        <source>fr</source>
        <comment>language tag of the page</comment>
        <translation>fr</translation>
    </message>
</context>
<context>
    <name>SnapshotEncoder</name>
    <message>
        <source>Instantané non encodable : date hors limites pour « </source>
        <translation>Instantané non encodable : date hors limites pour « </translation>
    </message>
    <message>
        <source>Instantané non encodable : nombre non fini pour « </source>
        <translation>Instantané non encodable : nombre non fini pour « </translation>
    </message>
    <message>
        <source> de la nuit du </source>
        <translation> de la nuit du </translation>
    </message>
</context>
<context>
    <name>Status</name>
    <message>
        <source>Autorisation requise</source>
        <translation>Autorisation requise</translation>
    </message>
    <message>
        <source>Carte détectée · </source>
        <translation>Carte détectée · </translation>
    </message>
    <message>
        <source>Échec de la synchronisation</source>
        <translation>Échec de la synchronisation</translation>
    </message>
    <message>
        <source>En attente d’une carte SD</source>
        <translation>En attente d’une carte SD</translation>
    </message>
    <message>
        <source>Synchronisation…</source>
        <translation>Synchronisation…</translation>
    </message>
    <message>
        <source>Remise à zéro…</source>
        <translation>Remise à zéro…</translation>
    </message>
    <message>
        <source>Données réinitialisées</source>
        <translation>Données réinitialisées</translation>
    </message>
    <message numerus="yes">
        <source>%1 nuits synchronisées</source>
        <translation>
            <numerusform>%1 nuit synchronisée</numerusform>
            <numerusform>%1 nuits synchronisées</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>StoreOption</name>
    <message>
        <source>%1 (actuel)</source>
        <translation>%1 (actuel)</translation>
    </message>
</context>
<context>
    <name>SyncController</name>
    <message>
        <source>La mémoire disponible ne suffit pas.</source>
        <translation>La mémoire disponible ne suffit pas.</translation>
    </message>
    <message>
        <source>Une erreur inconnue est survenue.</source>
        <translation>Une erreur inconnue est survenue.</translation>
    </message>
    <message>
        <source>Sélectionner la carte SD de l’appareil de traitement</source>
        <translation>Sélectionner la carte SD de l’appareil de traitement</translation>
    </message>
    <message>
        <source>Choisissez la racine de la carte, celle qui contient DATALOG et STR.edf.</source>
        <translation>Choisissez la racine de la carte, celle qui contient DATALOG et STR.edf.</translation>
    </message>
    <message>
        <source>L’accès à la carte SD n’a pas été accordé. Sélectionnez-la à nouveau.</source>
        <translation>L’accès à la carte SD n’a pas été accordé. Sélectionnez-la à nouveau.</translation>
    </message>
    <message>
        <source>Ouverture de session : </source>
        <translation>Ouverture de session : </translation>
    </message>
    <message>
        <source>Remise à zéro impossible : </source>
        <translation>Remise à zéro impossible : </translation>
    </message>
    <message>
        <source>%1 : la carte peut retourner dans l’appareil.</source>
        <translation>%1 : la carte peut retourner dans l’appareil.</translation>
    </message>
    <message>
        <source>La synchronisation a échoué : %1</source>
        <translation>La synchronisation a échoué : %1</translation>
    </message>
    <message>
        <source>1 nuit synchronisée</source>
        <translation>1 nuit synchronisée</translation>
    </message>
    <message>
        <source>%1, aucune nouvelle nuit sur la carte</source>
        <translation>%1, aucune nouvelle nuit sur la carte</translation>
    </message>
    <message>
        <source>%1, dont 1 nouvelle</source>
        <translation>%1, dont 1 nouvelle</translation>
    </message>
    <message>
        <source>%1, dont %2 nouvelles</source>
        <translation>%1, dont %2 nouvelles</translation>
    </message>
    <message>
        <source>les nuits publiées dans «&#xa0;%1&#xa0;» n’ont pas pu être effacées (%2)</source>
        <translation>les nuits publiées dans «&#xa0;%1&#xa0;» n’ont pas pu être effacées (%2)</translation>
    </message>
</context>
<context>
    <name>SyncMenuView</name>
    <message>
        <source>Aucune carte SD détectée</source>
        <translation>Aucune carte SD détectée</translation>
    </message>
    <message>
        <source>Insérez la carte SD de votre appareil de traitement : Velunora Sync l’importera automatiquement.</source>
        <translation>Insérez la carte SD de votre appareil de traitement : Velunora Sync l’importera automatiquement.</translation>
    </message>
    <message>
        <source>CARTE SD À AUTORISER</source>
        <translation>CARTE SD À AUTORISER</translation>
    </message>
    <message>
        <source>CARTE SD DÉTECTÉE</source>
        <translation>CARTE SD DÉTECTÉE</translation>
    </message>
    <message>
        <source>Velunora Sync a besoin de votre autorisation pour lire les données de la carte.</source>
        <translation>Velunora Sync a besoin de votre autorisation pour lire les données de la carte.</translation>
    </message>
    <message>
        <source>Autoriser l’accès…</source>
        <translation>Autoriser l’accès…</translation>
    </message>
    <message>
        <source>Choisir une carte…</source>
        <translation>Choisir une carte…</translation>
    </message>
    <message>
        <source>Synchroniser</source>
        <translation>Synchroniser</translation>
    </message>
    <message>
        <source>Importer automatiquement les cartes SD</source>
        <translation>Importer automatiquement les cartes SD</translation>
    </message>
    <message>
        <source>Ouvrir à la connexion</source>
        <translation>Ouvrir à la connexion</translation>
    </message>
    <message>
        <source>Afficher l’export local</source>
        <translation>Afficher l’export local</translation>
    </message>
    <message>
        <source>Réinitialiser les données Velunora…</source>
        <translation>Réinitialiser les données Velunora…</translation>
    </message>
    <message>
        <source>Revoir la présentation…</source>
        <translation>Revoir la présentation…</translation>
    </message>
    <message>
        <source>Quitter</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Réglages…</source>
        <translation>Réglages…</translation>
    </message>
    <message>
        <source>Données chiffrées dans votre iCloud privé</source>
        <comment>icloud</comment>
        <translation>Données chiffrées dans votre iCloud privé</translation>
    </message>
    <message>
        <source>Nuits publiées sur votre serveur</source>
        <translation>Nuits publiées sur votre serveur</translation>
    </message>
    <message>
        <source>Nuits gardées sur cet ordinateur</source>
        <translation>Nuits gardées sur cet ordinateur</translation>
    </message>
    <message>
        <source>Éjecter la carte</source>
        <translation>Éjecter la carte</translation>
    </message>
</context>
<context>
    <name>SyncNotifier</name>
    <message>
        <source>Éjecter la carte</source>
        <translation>Éjecter la carte</translation>
    </message>
</context>
<context>
    <name>UDisks2VolumeSource</name>
    <message>
        <source>La carte n’est plus montée : elle peut être retirée.</source>
        <translation>La carte n’est plus montée : elle peut être retirée.</translation>
    </message>
    <message>
        <source>La carte n’a pas pu être éjectée : le système a refusé de la démonter.</source>
        <translation>La carte n’a pas pu être éjectée : le système a refusé de la démonter.</translation>
    </message>
    <message>
        <source>La carte n’a pas pu être éjectée : un programme utilise encore un de ses fichiers.</source>
        <translation>La carte n’a pas pu être éjectée : un programme utilise encore un de ses fichiers.</translation>
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
        <translation>%1 sur %2 (%3 %)</translation>
    </message>
    <message>
        <source>—</source>
        <translation>—</translation>
    </message>
    <message>
        <source>Jours d’au moins 4 h</source>
        <translation>Jours d’au moins 4 h</translation>
    </message>
    <message>
        <source>Jours avec utilisation</source>
        <translation>Jours avec utilisation</translation>
    </message>
    <message>
        <source>Utilisation moyenne, jours utilisés</source>
        <translation>Utilisation moyenne, jours utilisés</translation>
    </message>
    <message>
        <source>Utilisation moyenne, tous les jours</source>
        <translation>Utilisation moyenne, tous les jours</translation>
    </message>
    <message>
        <source>IAH (apnées et hypopnées par heure)</source>
        <translation>IAH (apnées et hypopnées par heure)</translation>
    </message>
    <message>
        <source>Apnées obstructives</source>
        <translation>Apnées obstructives</translation>
    </message>
    <message>
        <source>Apnées centrales</source>
        <translation>Apnées centrales</translation>
    </message>
    <message>
        <source>Hypopnées</source>
        <translation>Hypopnées</translation>
    </message>
    <message>
        <source>Apnées non classées</source>
        <translation>Apnées non classées</translation>
    </message>
    <message>
        <source>Éveils liés à l’effort respiratoire (RERA)</source>
        <translation>Éveils liés à l’effort respiratoire (RERA)</translation>
    </message>
    <message>
        <source>médiane %1, 95e centile %2</source>
        <translation>médiane %1, 95e centile %2</translation>
    </message>
    <message>
        <source>Pression moyenne des nuits</source>
        <translation>Pression moyenne des nuits</translation>
    </message>
    <message>
        <source>Pression, 95e centile des nuits</source>
        <translation>Pression, 95e centile des nuits</translation>
    </message>
    <message>
        <source>Fuite moyenne des nuits</source>
        <translation>Fuite moyenne des nuits</translation>
    </message>
    <message>
        <source>Fuite, 95e centile des nuits</source>
        <translation>Fuite, 95e centile des nuits</translation>
    </message>
    <message>
        <source>du %1 au %2</source>
        <translation>du %1 au %2</translation>
    </message>
    <message>
        <source>Plus longue série de jours d’au moins 4 h</source>
        <translation>Plus longue série de jours d’au moins 4 h</translation>
    </message>
    <message>
        <source>atteint, %1</source>
        <translation>atteint, %1</translation>
    </message>
    <message>
        <source>non atteint (au mieux %1 jours sur 30)</source>
        <translation>non atteint (au mieux %1 jours sur 30)</translation>
    </message>
    <message>
        <source>période de moins de 30 jours</source>
        <translation>période de moins de 30 jours</translation>
    </message>
    <message>
        <source>21 jours d’au moins 4 h sur 30 consécutifs</source>
        <translation>21 jours d’au moins 4 h sur 30 consécutifs</translation>
    </message>
    <message>
        <source>Nuit du %1</source>
        <translation>Nuit du %1</translation>
    </message>
    <message>
        <source>dddd d MMMM yyyy</source>
        <translation>dddd d MMMM yyyy</translation>
    </message>
    <message>
        <source>Utilisation</source>
        <translation>Utilisation</translation>
    </message>
    <message>
        <source>Masque porté</source>
        <translation>Masque porté</translation>
    </message>
    <message>
        <source>IDR (avec les RERA)</source>
        <translation>IDR (avec les RERA)</translation>
    </message>
    <message>
        <source>Pression moyenne</source>
        <translation>Pression moyenne</translation>
    </message>
    <message>
        <source>Pression minimale</source>
        <translation>Pression minimale</translation>
    </message>
    <message>
        <source>Pression, 95e centile</source>
        <translation>Pression, 95e centile</translation>
    </message>
    <message>
        <source>Pression maximale</source>
        <translation>Pression maximale</translation>
    </message>
    <message>
        <source>Fuite moyenne</source>
        <translation>Fuite moyenne</translation>
    </message>
    <message>
        <source>Fuite, 95e centile</source>
        <translation>Fuite, 95e centile</translation>
    </message>
    <message>
        <source>Fuite maximale</source>
        <translation>Fuite maximale</translation>
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
            <numerusform>%n nuit sur %1 d’au moins 4 h</numerusform>
            <numerusform>%n nuits sur %1 d’au moins 4 h</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Du %1 au %2 (%n jour(s))</source>
        <translation>
            <numerusform>Du %1 au %2 (%n jour)</numerusform>
            <numerusform>Du %1 au %2 (%n jours)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n jour(s), du %1 au %2</source>
        <translation>
            <numerusform>%n jour, du %1 au %2</numerusform>
            <numerusform>%n jours, du %1 au %2</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>VelunoraSyncApp</name>
    <message>
        <source>Ouvrir Velunora Sync</source>
        <translation>Ouvrir Velunora Sync</translation>
    </message>
    <message>
        <source>Se connecter à iCloud…</source>
        <translation>Se connecter à iCloud…</translation>
    </message>
    <message>
        <source>Quitter</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Réglages…</source>
        <translation>Réglages…</translation>
    </message>
    <message>
        <source>Historique…</source>
        <translation>Historique…</translation>
    </message>
    <message>
        <source>Ce bureau n’affiche pas d’icônes d’état&#xa0;: Velunora Sync reste dans cette fenêtre. La fermer arrête l’import automatique.</source>
        <translation>Ce bureau n’affiche pas d’icônes d’état&#xa0;: Velunora Sync reste dans cette fenêtre. La fermer arrête l’import automatique.</translation>
    </message>
    <message>
        <source>Pour voir l’icône dans la barre du haut&#xa0;: l’extension «&#xa0;AppIndicator and KStatusNotifierItem Support&#xa0;», dans l’application Extensions. D’ici là, fermer cette fenêtre arrête l’import automatique.</source>
        <translation>Pour voir l’icône dans la barre du haut&#xa0;: l’extension «&#xa0;AppIndicator and KStatusNotifierItem Support&#xa0;», dans l’application Extensions. D’ici là, fermer cette fenêtre arrête l’import automatique.</translation>
    </message>
</context>
<context>
    <name>VolumeSource</name>
    <message>
        <source>Ce système ne sait pas éjecter la carte : démontez-la depuis le gestionnaire de fichiers.</source>
        <translation>Ce système ne sait pas éjecter la carte : démontez-la depuis le gestionnaire de fichiers.</translation>
    </message>
</context>
<context>
    <name>WebDAVCloudStoreTexts</name>
    <message>
        <source>Les données publiées ont été modifiées ailleurs entre-temps. Relancez la synchronisation.</source>
        <translation>Les données publiées ont été modifiées ailleurs entre-temps. Relancez la synchronisation.</translation>
    </message>
    <message>
        <source>Le serveur WebDAV a répondu de façon inattendue (code HTTP %1).</source>
        <translation>Le serveur WebDAV a répondu de façon inattendue (code HTTP %1).</translation>
    </message>
    <message>
        <source>Le serveur WebDAV «&#xa0;%1&#xa0;» a envoyé une réponse illisible.</source>
        <translation>Le serveur WebDAV «&#xa0;%1&#xa0;» a envoyé une réponse illisible.</translation>
    </message>
    <message>
        <source>Le nom «&#xa0;%1&#xa0;» ne convient pas à un enregistrement.</source>
        <translation>Le nom «&#xa0;%1&#xa0;» ne convient pas à un enregistrement.</translation>
    </message>
    <message>
        <source>Aucun mot de passe WebDAV n’est enregistré pour «&#xa0;%1&#xa0;» dans le trousseau.</source>
        <translation>Aucun mot de passe WebDAV n’est enregistré pour «&#xa0;%1&#xa0;» dans le trousseau.</translation>
    </message>
    <message>
        <source>L’accès au trousseau a été refusé. Le mot de passe WebDAV n’a pas pu être lu.</source>
        <translation>L’accès au trousseau a été refusé. Le mot de passe WebDAV n’a pas pu être lu.</translation>
    </message>
    <message>
        <source>Le trousseau du bureau n’est pas disponible. Le mot de passe WebDAV n’a pas pu être lu.</source>
        <translation>Le trousseau du bureau n’est pas disponible. Le mot de passe WebDAV n’a pas pu être lu.</translation>
    </message>
    <message>
        <source>Le serveur WebDAV «&#xa0;%1&#xa0;» n’a pas terminé sa réponse en %2 s.</source>
        <translation>Le serveur WebDAV «&#xa0;%1&#xa0;» n’a pas terminé sa réponse en %2 s.</translation>
    </message>
    <message>
        <source>Le serveur WebDAV «&#xa0;%1&#xa0;» ne répond plus depuis %2 s.</source>
        <translation>Le serveur WebDAV «&#xa0;%1&#xa0;» ne répond plus depuis %2 s.</translation>
    </message>
    <message>
        <source>Le serveur WebDAV «&#xa0;%1&#xa0;» a envoyé une réponse trop volumineuse.</source>
        <translation>Le serveur WebDAV «&#xa0;%1&#xa0;» a envoyé une réponse trop volumineuse.</translation>
    </message>
    <message>
        <source>Le certificat du serveur WebDAV «&#xa0;%1&#xa0;» n’a pas pu être vérifié. La connexion a été refusée.</source>
        <translation>Le certificat du serveur WebDAV «&#xa0;%1&#xa0;» n’a pas pu être vérifié. La connexion a été refusée.</translation>
    </message>
    <message>
        <source>L’adresse du serveur WebDAV «&#xa0;%1&#xa0;» n’est pas valide.</source>
        <translation>L’adresse du serveur WebDAV «&#xa0;%1&#xa0;» n’est pas valide.</translation>
    </message>
    <message>
        <source>Aucune connexion réseau n’est disponible.</source>
        <translation>Aucune connexion réseau n’est disponible.</translation>
    </message>
    <message>
        <source>Le serveur WebDAV «&#xa0;%1&#xa0;» ne répond pas.</source>
        <translation>Le serveur WebDAV «&#xa0;%1&#xa0;» ne répond pas.</translation>
    </message>
    <message>
        <source>Le serveur WebDAV «&#xa0;%1&#xa0;» est injoignable.</source>
        <translation>Le serveur WebDAV «&#xa0;%1&#xa0;» est injoignable.</translation>
    </message>
    <message>
        <source>Le serveur WebDAV a refusé l’identifiant «&#xa0;%1&#xa0;» ou son mot de passe.</source>
        <translation>Le serveur WebDAV a refusé l’identifiant «&#xa0;%1&#xa0;» ou son mot de passe.</translation>
    </message>
    <message>
        <source>Le serveur WebDAV n’autorise pas «&#xa0;%1&#xa0;» à publier dans ce dossier.</source>
        <translation>Le serveur WebDAV n’autorise pas «&#xa0;%1&#xa0;» à publier dans ce dossier.</translation>
    </message>
    <message>
        <source>Aucune donnée publiée n’a été trouvée sur le serveur WebDAV.</source>
        <translation>Aucune donnée publiée n’a été trouvée sur le serveur WebDAV.</translation>
    </message>
    <message>
        <source>Le dossier «&#xa0;%1&#xa0;» n’existe pas sur le serveur WebDAV.</source>
        <translation>Le dossier «&#xa0;%1&#xa0;» n’existe pas sur le serveur WebDAV.</translation>
    </message>
    <message>
        <source>Le serveur WebDAV «&#xa0;%1&#xa0;» renvoie vers une autre adresse (code HTTP %2). Indiquez l’adresse exacte du dossier dans les réglages.</source>
        <translation>Le serveur WebDAV «&#xa0;%1&#xa0;» renvoie vers une autre adresse (code HTTP %2). Indiquez l’adresse exacte du dossier dans les réglages.</translation>
    </message>
    <message>
        <source>L’espace de stockage du serveur WebDAV est plein.</source>
        <translation>L’espace de stockage du serveur WebDAV est plein.</translation>
    </message>
    <message>
        <source>Le mot de passe WebDAV n’a pas pu être enregistré dans le trousseau.</source>
        <translation>Le mot de passe WebDAV n’a pas pu être enregistré dans le trousseau.</translation>
    </message>
    <message>
        <source>L’adresse du serveur WebDAV n’est pas configurée ou n’est pas valide.</source>
        <translation>L’adresse du serveur WebDAV n’est pas configurée ou n’est pas valide.</translation>
    </message>
    <message>
        <source>L’adresse du serveur WebDAV «&#xa0;%1&#xa0;» n’est pas chiffrée : utilisez une adresse en https://, pour que le mot de passe et vos nuits ne circulent jamais en clair.</source>
        <translation>L’adresse du serveur WebDAV «&#xa0;%1&#xa0;» n’est pas chiffrée : utilisez une adresse en https://, pour que le mot de passe et vos nuits ne circulent jamais en clair.</translation>
    </message>
    <message>
        <source>Un enregistrement WebDAV ne contient qu’un seul fichier.</source>
        <translation>Un enregistrement WebDAV ne contient qu’un seul fichier.</translation>
    </message>
    <message>
        <source>L’enregistrement ne contient aucun fichier à publier.</source>
        <translation>L’enregistrement ne contient aucun fichier à publier.</translation>
    </message>
</context>
<context>
    <name>WebDAVForm</name>
    <message>
        <source>Adresse du dossier sur le serveur</source>
        <translation>Adresse du dossier sur le serveur</translation>
    </message>
    <message>
        <source>Identifiant</source>
        <translation>Identifiant</translation>
    </message>
    <message>
        <source>Mot de passe</source>
        <translation>Mot de passe</translation>
    </message>
    <message>
        <source>Inchangé (gardé dans le trousseau)</source>
        <translation>Inchangé (gardé dans le trousseau)</translation>
    </message>
    <message>
        <source>Tester la connexion</source>
        <translation>Tester la connexion</translation>
    </message>
    <message>
        <source>Enregistrer</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>Publier sur ce serveur</source>
        <translation>Publier sur ce serveur</translation>
    </message>
</context>
</TS>
